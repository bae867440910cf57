#include "tools/LocalText.h"

#include "app/TranslationManager.h"

namespace vsx {

bool InterfaceIsEnglish() { return !Translator || Translator->current() == "en"; }

std::string localUtf8(const LocalText& text) { return InterfaceIsEnglish() ? text.en : text.tr; }

QString localText(const LocalText& text) { return QString::fromUtf8(localUtf8(text)); }

} // namespace vsx
