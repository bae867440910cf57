#include "tools/windows/OffsetsWindow.h"

#include "app/Translated.h"
#include "app/windows/WindowTranslation.h"
#include "platform/Text.h"

#include "app/ErrorReport.h"
#include "app/Settings.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "tools/windows/WindowLook.h"
#include "input/windows/NtripWindow.h"
#include "platform/AppendFile.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "tools/OffsetsReport.h"
#include "tools/SurveyHost.h"
#include "tools/windows/SoundVelocityWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vsx {
namespace {
// Texts typed here are kept, stored and reported as 8-bit Windows-1254 text.
QString q(const std::string& s) { return fromCp1254(s); }
std::string s(const QString& q) { return toCp1254(q); }

// A sketch of the three offsets: the transducer A below the water line, the antenna C above
// it, and B between them.
class OffsetsSketch : public QWidget {
public:
    OffsetsSketch() { setFixedSize(120, 170); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int water = 95, top = 20, bottom = 150, mast = 40;
        p.fillRect(0, water, width(), height() - water, QColor(200, 225, 255));
        p.setPen(QPen(Qt::blue, 1));
        p.drawLine(0, water, width(), water);
        p.setPen(QPen(Qt::black, 2));
        p.drawPolyline(QPolygon({QPoint(10, 80), QPoint(25, 115), QPoint(95, 115), QPoint(110, 80)}));
        p.drawLine(mast, top, mast, 115);
        p.drawEllipse(QPoint(mast, top), 5, 5);
        p.drawRect(mast - 5, 115, 10, bottom - 115);
        p.setPen(QPen(Qt::darkRed, 1));
        auto dimension = [&](int x, int y1, int y2, const char* name) {
            p.drawLine(x, y1, x, y2);
            p.drawLine(x - 3, y1, x + 3, y1);
            p.drawLine(x - 3, y2, x + 3, y2);
            p.drawText(x + 4, (y1 + y2) / 2 + 4, QString::fromLatin1(name));
        };
        dimension(60, water, bottom, "A");
        dimension(85, top, bottom, "B");
        dimension(60, top, water, "C");
    }
};

NumberEdit* numberEdit(double initial)
{
    auto* e = new NumberEdit(NumberEdit::Kind::Float, initial);
    e->setFixedWidth(80);
    return e;
}

constexpr LocalText kReportNotWritten{
    "The offsets report could not be written to %1. The survey starts without it.",
    "Ofset raporu %1 dosyasına yazılamadı. Ölçüm rapor olmadan başlıyor."};
} // namespace

OffsetsWindow::OffsetsWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"Offsets", "Offsets Essential for Post Processing / Recovery", true, QSize(489, 185)});
    KeepOnlyCloseButton(this);

    OffsetA = numberEdit(0.0);
    OffsetB = numberEdit(0.0);
    OffsetC = numberEdit(0.0);
    SV = numberEdit(1500.0);
    TideHt = numberEdit(0.0);
    Location = new QLineEdit;
    SurveyBoat = new QLineEdit;
    Surveyor = new QLineEdit;
    time = new QLabel;
    MarkAsValue(time);
    realtimeButton = new QPushButton(QStringLiteral("Realtime"));
    realtimeButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"));
    bSVP = new QPushButton(QStringLiteral("Sound Velocity Profile"));
    bNTRIPShow = new QPushButton(QStringLiteral("NTRIP Client"));
    offsetsSketch = new OffsetsSketch;

    auto* fields = new QGridLayout;
    int row = 0;
    auto numberRow = [&](const char* caption, NumberEdit* edit, const char* unit, const char* fieldName) {
        auto* label = new QLabel(QString::fromUtf8(caption));
        label->setBuddy(edit);
        edit->setAccessibleName(QString::fromUtf8(fieldName));  // how messages name the field
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        fields->addWidget(new QLabel(QString::fromUtf8(unit)), row, 2);
        ++row;
    };
    numberRow("A", OffsetA, "m", "Offset A");
    numberRow("B", OffsetB, "m", "Offset B");
    numberRow("C", OffsetC, "m", "Offset C");
    numberRow("SV", SV, "m/s", "SV");
    numberRow("Tide Ht", TideHt, "m", "Tide Height");
    // Each caption above its field, so the fields keep the column's whole width for a name in
    // either language.
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto textRowOf = [&](const char* caption, QLineEdit* edit) {
        auto* label = new QLabel(QString::fromUtf8(caption));
        label->setBuddy(edit);
        texts->addWidget(label);
        texts->addWidget(edit);
        texts->addSpacing(4);
    };
    textRowOf("Location", Location);
    textRowOf("Vessel", SurveyBoat);
    textRowOf("Surveyor", Surveyor);
    // The clock shows the computer's local time, as the events log and the sounding files do.
    texts->addWidget(new QLabel(QStringLiteral("Date and Time (Local)")));
    texts->addWidget(time);
    texts->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bSVP);
    buttons->addWidget(bNTRIPShow);
    buttons->addStretch();
    buttons->addWidget(realtimeButton);
    buttons->addWidget(cancelButton);

    auto* top = new QHBoxLayout;
    top->addWidget(offsetsSketch);
    top->addLayout(fields);
    top->addLayout(texts, 1);
    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addLayout(buttons);

    for (QLineEdit* e : {static_cast<QLineEdit*>(OffsetA), static_cast<QLineEdit*>(OffsetB),
                         static_cast<QLineEdit*>(OffsetC), static_cast<QLineEdit*>(SV),
                         static_cast<QLineEdit*>(TideHt), Location, SurveyBoat, Surveyor})
        e->installEventFilter(this);

    clockTimer = new QTimer(this);
    clockTimer->setInterval(1000);
    connect(clockTimer, &QTimer::timeout, this, &OffsetsWindow::refreshClock);
    clockTimer->start();
    refreshClock();

    inForceTexts_ = this->texts();

    connect(realtimeButton, &QPushButton::clicked, this, &OffsetsWindow::onRealtimeClicked);
    connect(cancelButton, &QPushButton::clicked, this, &OffsetsWindow::onCancelClicked);
    connect(bSVP, &QPushButton::clicked, this, &OffsetsWindow::onSoundVelocityClicked);
    connect(bNTRIPShow, &QPushButton::clicked, this, &OffsetsWindow::onNtripClicked);
}

double OffsetsWindow::draft() const { return OffsetA->value(); }
double OffsetsWindow::transducerToAntenna() const { return OffsetB->value(); }
double OffsetsWindow::antennaHeight() const { return OffsetC->value(); }
double OffsetsWindow::soundVelocity() const { return SV->value(); }
double OffsetsWindow::tideHeight() const { return TideHt->value(); }
bool OffsetsWindow::numbersValid() const
{
    return OffsetA->textIsNumber() && OffsetB->textIsNumber() && OffsetC->textIsNumber() && SV->textIsNumber() &&
           TideHt->textIsNumber();
}

bool OffsetsWindow::TakeShownValues()
{
    const OffsetsTexts shown = texts();
    const std::optional<OffsetNumbers> accepted = AcceptedOffsetNumbers(shown);
    if (!accepted) return false;
    inForce_ = *accepted;
    inForceTexts_ = shown;
    return true;
}

bool OffsetsWindow::ShowsValuesInForce() const
{
    const OffsetsTexts shown = texts();
    return shown.offsetA == inForceTexts_.offsetA && shown.offsetC == inForceTexts_.offsetC &&
           shown.soundVelocity == inForceTexts_.soundVelocity && shown.tideHeight == inForceTexts_.tideHeight;
}

void OffsetsWindow::showTextsInForce()
{
    OffsetA->setText(q(inForceTexts_.offsetA));
    OffsetC->setText(q(inForceTexts_.offsetC));
    SV->setText(q(inForceTexts_.soundVelocity));
    TideHt->setText(q(inForceTexts_.tideHeight));
}

OffsetsTexts OffsetsWindow::texts() const
{
    OffsetsTexts t;
    t.offsetA = s(OffsetA->text());
    t.offsetB = s(OffsetB->text());
    t.offsetC = s(OffsetC->text());
    t.soundVelocity = s(SV->text());
    t.tideHeight = s(TideHt->text());
    t.location = s(Location->text());
    t.surveyBoat = s(SurveyBoat->text());
    t.surveyor = s(Surveyor->text());
    return t;
}

void OffsetsWindow::showTexts(const OffsetsTexts& t)
{
    OffsetA->setText(q(t.offsetA));
    OffsetB->setText(q(t.offsetB));
    OffsetC->setText(q(t.offsetC));
    TideHt->setText(q(t.tideHeight));
    SV->setText(q(t.soundVelocity));
    Surveyor->setText(q(t.surveyor));
    SurveyBoat->setText(q(t.surveyBoat));
    Location->setText(q(t.location));
}

QWidget* OffsetsWindow::editOf(OffsetsField field) const
{
    switch (field) {
    case OffsetsField::OffsetA: return OffsetA;
    case OffsetsField::OffsetB: return OffsetB;
    case OffsetsField::OffsetC: return OffsetC;
    case OffsetsField::SoundVelocity: return SV;
    case OffsetsField::TideHeight: return TideHt;
    case OffsetsField::Location: return Location;
    case OffsetsField::SurveyBoat: return SurveyBoat;
    case OffsetsField::Surveyor: return Surveyor;
    case OffsetsField::None: break;
    }
    return nullptr;
}

void OffsetsWindow::onShown()
{
    OffsetsTexts t;
    {
        IniFile ini(GetIniFileName());
        t = LoadOffsets(ini);
    }
    showTexts(t);
    // The stored values were accepted by the last start; they are in force from now on, unless
    // something else put a number there that a start would refuse.
    TakeShownValues();
    RestoreFormPlacement(this, false);
}

void OffsetsWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    onShown();
}

void OffsetsWindow::refreshClock() { time->setText(q(OffsetsClockText())); }

void OffsetsWindow::onRealtimeClicked()
{
    surveyHost().AutoSave();
    if (time->text().contains(':')) prompts().message(localText(kTimeFormatWarning), {}, PromptKind::Information, this);
    CreateDataFolders();

    const OffsetsTexts t = texts();
    const OffsetsCheck check = CheckOffsets(t);
    if (!check.ok) {
        QString message = localText(check.message);
        if (check.field == OffsetsField::SoundVelocity && !SV->isEnabled())
            message += "\n" + localText(kSvLockedByProfileHint);
        prompts().message(message, {}, PromptKind::Information, this);
        if (QWidget* edit = editOf(check.field)) edit->setFocus();
        return;
    }

    // The checked values are the ones depths use from now on.
    TakeShownValues();
    const std::string clockText = s(time->text());
    {
        IniFile ini(GetIniFileName());
        SaveOffsets(ini, t, clockText);
    }
    if (!surveyHost().RealtimeRunning()) surveyHost().PressRealtime();
    // A start that was refused has said why; the report belongs to a survey that runs.
    if (!surveyHost().RealtimeRunning()) return;

    // The report does not hold up the survey: when it cannot be written the surveyor is told
    // where, and the survey goes on.
    const std::string reportFile = OffsetsReportFileName();
    const std::string report =
        BuildOffsetsReport(t, clockText, surveyHost().SoundVelocityProfileInUse(), InterfaceIsEnglish());
    if (!appendToFile(reportFile, report))
        prompts().message(localText(kReportNotWritten).arg(q(reportFile)), {}, PromptKind::Warning, this);
    SaveFormPlacement(this);
    close();
}

void OffsetsWindow::onCancelClicked()
{
    SaveFormPlacement(this);
    close();
}

void OffsetsWindow::closeEvent(QCloseEvent* event)
{
    // Whatever was typed and not accepted is not what the depths use: the fields show the values
    // in force again.
    showTextsInForce();
    RestoreFormPlacement(this, false);
    event->accept();
}

void OffsetsWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    QWidget::mouseDoubleClickEvent(event);
    resize(width(), 410);
}

void OffsetsWindow::onSoundVelocityClicked()
{
    BringToUser(fSVP);
}

void OffsetsWindow::onNtripClicked()
{
    if (!frmNTRIPSettings) return;
    if (!frmNTRIPSettings->isVisible()) frmNTRIPSettings->setWindowModality(Qt::ApplicationModal);
    BringToUser(frmNTRIPSettings);
}

bool OffsetsWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return QWidget::eventFilter(watched, event);
    auto* number = qobject_cast<NumberEdit*>(edit);
    if (event->type() == QEvent::MouseButtonRelease) {
        if (number) surveyHost().ShowNumericKeypad(edit);
        else surveyHost().ShowSimpleKeyboard(edit);
    } else if (event->type() == QEvent::FocusOut && number) {
        // Leaving the edit for another control. A menu popping up (the map's right-click menu)
        // or another window becoming active leaves the focus where it is: nothing was left.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && reason != Qt::MenuBarFocusReason)
            onNumberEditLeft(number);
    }
    return QWidget::eventFilter(watched, event);
}

void OffsetsWindow::onNumberEditLeft(NumberEdit* edit)
{
    // Leaving a numeric edit that does not hold a number is reported once the focus has settled,
    // unless the focus went to a button (Cancel leaves without checks, Realtime checks itself)
    // or away from this window.
    QPointer<NumberEdit> guard(edit);
    QTimer::singleShot(0, this, [this, guard] {
        if (!guard || guard->textIsNumber() || !isVisible()) return;
        QWidget* now = QApplication::focusWidget();
        if (!now || now->window() != this || qobject_cast<QPushButton*>(now)) return;
        const ConversionError e(guard->text().toStdString(), "floating point", guard->accessibleName().toStdString());
        ReportError(ErrorText(e.what()), this);
    });
}

} // namespace vsx
