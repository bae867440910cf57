// Placeholder so a folder without sources yet still forms a library.
