#include "nav/windows/OnScreenKeypads.h"

namespace vsx {

namespace {
OnScreenKeypadFactory& numeric()
{
    static OnScreenKeypadFactory f;
    return f;
}
OnScreenKeypadFactory& keyboard()
{
    static OnScreenKeypadFactory f;
    return f;
}
} // namespace

void setNumericKeypadFactory(OnScreenKeypadFactory factory) { numeric() = std::move(factory); }
void setSimpleKeyboardFactory(OnScreenKeypadFactory factory) { keyboard() = std::move(factory); }
const OnScreenKeypadFactory& numericKeypadFactory() { return numeric(); }
const OnScreenKeypadFactory& simpleKeyboardFactory() { return keyboard(); }

QPoint NumericKeypadPosition(QSize client, QSize panel)
{
    return {client.width() - panel.width() - 10, client.height() - panel.height() - 10};
}

QPoint SimpleKeyboardPosition(QSize client, QSize panel)
{
    return {(client.width() - panel.width()) / 2, client.height() - panel.height() - 10};
}

} // namespace vsx
