#pragma once
// The sound-velocity window's messages and captions, English and Turkish. "%1", "%2" are
// filled in by the window.
#include "tools/LocalText.h"

namespace vsx {

inline constexpr LocalText kSvpValueOutOfRange{
    "Value exceeds SV range! Please correct %1 value at line %2 in source file. This line will be skipped.",
    "Bu değer belkenen ses hızı aralığında değl! Ses hızı %1'nin bulunduğu satır %2 kullanılmayacaktır."};
inline constexpr LocalText kSvpNoSurfaceValue{
    "SV value at 0 depth cannot be blank. Consider manually adding a value for 0 depth.\nExample 0,1500.",
    "Ses hızı profilinin başlangıcı olan 0 derinlik ve buna ait ses hızı boş olamaz. Bu değeri kendiniz doldurup "
    "yeniden deneyiniz.\nÖrnek: 0,1500.00"};
inline constexpr LocalText kSvpColumnOutOfRange{
    "SV value at %1 is out of range. Please check, correct retry.",
    "Sıra %1 ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin"};
inline constexpr LocalText kSvpColumnEmpty{
    "SVP Column is empty. Please load or create an SVP profile first.",
    "SVP Sütunu boş. Lütfen önce bir SVP profili yükleyin veya oluşturun."};
inline constexpr LocalText kSvpColumnLineUnusable{
    "Line %1 of the SV Column is not a sound velocity between 1300 and 1700 m/s. Please regenerate the SVP Column.",
    "SVP Sütunu %1. satırı 1300 ile 1700 m/s arasında bir ses hızı değil. Lütfen SVP sütununu yeniden oluşturun."};
inline constexpr LocalText kSvpProfileUsedCaption{"SVP Profile Used", "Ses Hızı Profili Devrede"};
inline constexpr LocalText kSvpSingleSvCaption{"Single SV Used", "Tek Ses Hızı Değeri"};
inline constexpr LocalText kSvpNoDataLoaded{"No data loaded. Please load a file first.",
                                            "Veri yüklenmedi. Lütfen önce bir dosya yükleyin."};
inline constexpr LocalText kSvpNoHeader{
    "Could not find header line with SV and Pressure/Depth columns.\nPlease set search string manually.",
    "SV ve Basınç/Derinlik sütunlarını içeren başlık satırı bulunamadı.\nLütfen arama dizesini elle girin."};
inline constexpr LocalText kSvpDetected{
    "Auto-detected format:\n- Header at line: %1\n- Delimiter: %2\n- SV column: %3\n- Pressure column: %4\n"
    "- Search string: %5",
    "Otomatik algilanan format:\n- Baslik satiri: %1\n- Ayirici: %2\n- SV sutunu: %3\n- Basinc sutunu: %4\n"
    "- Arama dizesi: %5"};
inline constexpr LocalText kSvpNoDataToGraph{"No data to graph. Please process SVP data first.",
                                             "Grafiği çizilecek veri yok. Lütfen önce SVP verisini işleyin."};
inline constexpr LocalText kSvpDataUpdated{"Data updated. Please regenerate SVP Column.",
                                           "Veriler güncellendi. Lütfen SVP sütununu yeniden oluşturun."};
inline constexpr LocalText kSvpBadSearchString{
    "The search format \"%1\" cannot be used: %2.",
    "\"%1\" arama biçimi kullanılamıyor: %2."};
inline constexpr LocalText kSvpSearchStringNotTwoNumbers{
    "The search format \"%1\" must read exactly two numbers: the sound velocity and the depth.",
    "\"%1\" arama biçimi tam olarak iki sayı okumalıdır: ses hızı ve derinlik."};
inline constexpr LocalText kSvpMaxDepthRange{"Max Depth must be a whole number from 1 to %1 m.",
                                             "Maksimum derinlik 1 ile %1 m arasında bir tam sayı olmalıdır."};
inline constexpr LocalText kSvpFileUnreadable{
    "The file %1 could not be read. The data already loaded stays as it is.",
    "%1 dosyası okunamadı. Yüklenmiş veriler olduğu gibi kalıyor."};
inline constexpr LocalText kSvpCopyNotWritten{"The sound velocity table %1 could not be written: %2",
                                              "Ses hızı tablosu %1 yazılamadı: %2"};

} // namespace vsx
