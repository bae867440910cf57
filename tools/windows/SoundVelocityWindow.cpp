#include "tools/windows/SoundVelocityWindow.h"

#include "app/ErrorReport.h"
#include "app/Settings.h"
#include "app/Translated.h"
#include "app/SharedValues.h"
#include "app/windows/NumberEdit.h"
#include "app/windows/WindowTranslation.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "platform/AtomicFile.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "tools/SoundVelocityProfile.h"
#include "tools/SurveyHost.h"
#include "tools/SvpMessages.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/SoundVelocityGraphWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <filesystem>

namespace vsx {

namespace {
constexpr const char* kSection = "SVP";

// A memo's lines as its text shows them; an empty memo has none.
QStringList memoLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}
void setMemoLines(QPlainTextEdit* memo, const QStringList& lines) { memo->setPlainText(lines.join(QLatin1Char('\n'))); }
bool isBlank(const QStringList& lines)
{
    return std::all_of(lines.begin(), lines.end(), [](const QString& l) { return l.trimmed().isEmpty(); });
}

// The tables are worked on as the 8-bit text they are stored as.
TextLines narrow(const QStringList& lines)
{
    TextLines out;
    out.reserve(size_t(lines.size()));
    for (const QString& l : lines) out.push_back(toCp1254(l));
    return out;
}
QStringList widen(const TextLines& lines)
{
    QStringList out;
    out.reserve(qsizetype(lines.size()));
    for (const std::string& l : lines) out.push_back(fromCp1254(l));
    return out;
}
QString q(const std::string& s) { return QString::fromStdString(s); }

QPlainTextEdit* memo(const char* name)
{
    auto* m = new QPlainTextEdit;
    m->setObjectName(name);
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    return m;
}
QGroupBox* group(const char* caption, QWidget* content)
{
    auto* g = new QGroupBox(QString::fromUtf8(caption));
    (new QVBoxLayout(g))->addWidget(content);
    return g;
}
QPushButton* button(const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption);
    b->setObjectName(name);
    return b;
}
} // namespace

SoundVelocityWindow::SoundVelocityWindow(QWidget* parent) : QWidget(parent)
{
    SetUpWindow(this, {"fSVP", "Sound Velocity", true, QSize(980, 560)});

    mRawSVData = memo("mRawSVData");
    mRawSVExtracted = memo("mRawSVExtracted");
    mSortedAveragedSV = memo("mSortedAveragedSV");
    mSVPColumn = memo("mSVPColumn");
    bRawToSVV = button("bRawToSVV", QStringLiteral("\u2192"));
    bSVVtoAveragedSV = button("bSVVtoAveragedSV", QStringLiteral("\u2192"));
    bAveragedSVtoSVP = button("bAveragedSVtoSVP", QStringLiteral("\u2192"));
    for (QPushButton* b : {bRawToSVV, bSVVtoAveragedSV, bAveragedSVtoSVP}) b->setFixedWidth(36);

    auto* pipeline = new QHBoxLayout;
    pipeline->addWidget(group("Source SVP Data", mRawSVData), 3);
    pipeline->addWidget(bRawToSVV);
    pipeline->addWidget(group("Raw SV values", mRawSVExtracted), 2);
    pipeline->addWidget(bSVVtoAveragedSV);
    pipeline->addWidget(group("Averaged SV Values", mSortedAveragedSV), 2);
    pipeline->addWidget(bAveragedSVtoSVP);
    pipeline->addWidget(group("SV Column", mSVPColumn), 1);

    eSearchString = new QLineEdit(QString::fromLatin1(kDefaultSvpSearchString));
    eSearchString->setObjectName("eSearchString");
    eMaxDepth = new QLineEdit(QString::fromLatin1(kDefaultSvpMaxDepth));
    eMaxDepth->setObjectName("eMaxDepth");
    rSVFirst = new QRadioButton(QStringLiteral("SV first"));
    rSVFirst->setObjectName("rSVFirst");
    rSVFirst->setChecked(true);
    rDFirst = new QRadioButton(QStringLiteral("Depth first"));
    rDFirst->setObjectName("rDFirst");
    gParameters = new QGroupBox(QStringLiteral("Parameters"));
    gParameters->setObjectName("gParameters");
    auto* form = new QFormLayout(gParameters);
    form->addRow(QStringLiteral("Format Identifier for SV && P"), eSearchString);
    form->addRow(QStringLiteral("Max Depth"), eMaxDepth);
    auto* order = new QHBoxLayout;
    order->addWidget(rSVFirst);
    order->addWidget(rDFirst);
    order->addStretch();
    form->addRow(order);

    mDefault = new QMenu(this);
    mDefault->setObjectName("mDefault");
    defaultsItem = mDefault->addAction(QStringLiteral("Defaults"));
    defaultsItem->setObjectName("Defaults1");
    autoDetectItem = mDefault->addAction(QStringLiteral("Auto Detect"));
    autoDetectItem->setObjectName("AutoDedetct1");
    for (QWidget* w : std::initializer_list<QWidget*>{gParameters, eSearchString, eMaxDepth, rSVFirst, rDFirst}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint& at) { mDefault->popup(w->mapToGlobal(at)); });
    }

    loadProbeButton = button("BitBtn1", QStringLiteral("SVP"));
    bGraph = button("bGraph", QStringLiteral("Graph"));
    bSaveClose = button("bSaveClose", QStringLiteral("Save && Close"));
    bSaveClose->setEnabled(false);
    cUseSVP = new QCheckBox(QStringLiteral("Use Sound Velocity Profile"));
    cUseSVP->setObjectName("cUseSVP");
    auto* actions = new QVBoxLayout;
    auto* topRow = new QHBoxLayout;
    topRow->addWidget(loadProbeButton);
    topRow->addWidget(bGraph);
    actions->addLayout(topRow);
    actions->addWidget(cUseSVP);
    actions->addStretch();
    actions->addWidget(bSaveClose);

    auto* lower = new QHBoxLayout;
    lower->addWidget(gParameters, 1);
    lower->addLayout(actions);
    auto* root = new QVBoxLayout(this);
    root->addLayout(pipeline, 1);
    root->addLayout(lower);

    eSearchString->installEventFilter(this);
    connect(loadProbeButton, &QPushButton::clicked, this, &SoundVelocityWindow::onLoadProbeClicked);
    connect(bRawToSVV, &QPushButton::clicked, this, &SoundVelocityWindow::onExtractVelocitiesClicked);
    connect(bSVVtoAveragedSV, &QPushButton::clicked, this, &SoundVelocityWindow::onAverageVelocitiesClicked);
    connect(bAveragedSVtoSVP, &QPushButton::clicked, this, &SoundVelocityWindow::onBuildProfileColumnClicked);
    connect(bGraph, &QPushButton::clicked, this, &SoundVelocityWindow::onGraphClicked);
    connect(bSaveClose, &QPushButton::clicked, this, &SoundVelocityWindow::onSaveCloseClicked);
    connect(cUseSVP, &QCheckBox::toggled, this, &SoundVelocityWindow::onUseProfileToggled);
    connect(defaultsItem, &QAction::triggered, this, &SoundVelocityWindow::onDefaultsTriggered);
    connect(autoDetectItem, &QAction::triggered, this, &SoundVelocityWindow::onAutoDetectTriggered);
    connect(mSVPColumn, &QPlainTextEdit::textChanged, this, &SoundVelocityWindow::columnTextChanged);

    loadTables();
}

QPlainTextEdit* SoundVelocityWindow::memoOf(SvpTable table) const
{
    switch (table) {
    case SvpTable::RawData: return mRawSVData;
    case SvpTable::Extracted: return mRawSVExtracted;
    case SvpTable::Averaged: return mSortedAveragedSV;
    case SvpTable::Column: return mSVPColumn;
    }
    return mRawSVData;
}

const SoundVelocityColumn* SoundVelocityWindow::ColumnInUse() const
{
    return cUseSVP->isChecked() && committed_ ? &*committed_ : nullptr;
}

// ---- Creation, show, close --------------------------------------------------------------------

void SoundVelocityWindow::loadTables()
{
    creating_ = true;
    // Each table on its own: the standing copy, then today's copy, which wins. A file that
    // cannot be read is passed over.
    const std::string standing = SvpStandingFolder();
    const std::string today = CurrentDateString();
    for (SvpTable t : kSvpTables) {
        if (auto lines = ReadSvpTableFile(SvpStandingCopyName(standing, t))) setMemoLines(memoOf(t), *lines);
        if (auto lines = ReadSvpTableFile(SvpDayCopyName(SvpFolder, today, t))) setMemoLines(memoOf(t), *lines);
    }
    const IniFile ini(GetIniFileName());
    eSearchString->setText(fromCp1254(ini.readString(kSection, "eSearchString", toCp1254(eSearchString->text()))));
    eMaxDepth->setText(fromCp1254(ini.readString(kSection, "eMaxDepth", toCp1254(eMaxDepth->text()))));
    rSVFirst->setChecked(ini.readBool(kSection, "rSVFirst", true));
    rDFirst->setChecked(ini.readBool(kSection, "rDFirst", false));
    if (ini.readBool(kSection, "cUseSVP", false) && !isBlank(memoLines(mSVPColumn))) cUseSVP->setChecked(true);
    creating_ = false;
}

void SoundVelocityWindow::onShown() { RestoreFormPlacement(this, false); }

void SoundVelocityWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    onShown();
}

void SoundVelocityWindow::saveSettings()
{
    IniFile ini(GetIniFileName());
    ini.writeBool(kSection, "cUseSVP", cUseSVP->isChecked());
    ini.writeString(kSection, "eSearchString", toCp1254(eSearchString->text()));
    ini.writeString(kSection, "eMaxDepth", toCp1254(eMaxDepth->text()));
    ini.writeBool(kSection, "rSVFirst", rSVFirst->isChecked());
    ini.writeBool(kSection, "rDFirst", rDFirst->isChecked());
}

void SoundVelocityWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    event->accept();
}

// ---- The pipeline -------------------------------------------------------------------------------

void SoundVelocityWindow::onLoadProbeClicked()
{
    const QString file = prompts().openFileName(this, translated("Open"), translated("Sound Velocity File [*.*] (*)"));
    if (file.isEmpty()) return;
    // The file is read before anything is emptied: a file that cannot be read leaves the
    // tables, and the column in use, as they are.
    std::string bytes;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file.toStdString(), ec) || !readFile(file.toStdString(), bytes)) {
        prompts().message(localText(kSvpFileUnreadable).arg(file), {}, PromptKind::Warning);
        return;
    }
    for (SvpTable t : kSvpTables) memoOf(t)->clear();
    setMemoLines(mRawSVData, DecodeTextLines(bytes));
}

void SoundVelocityWindow::onExtractVelocitiesClicked()
{
    // The search format is the user's own text: it is checked before any table is touched.
    std::string why;
    const std::optional<ScanFormat> format = ScanFormat::compile(toCp1254(eSearchString->text()), &why);
    if (!format || format->numericConversions() != 2) {
        prompts().message(format ? localText(kSvpSearchStringNotTwoNumbers).arg(eSearchString->text())
                                 : localText(kSvpBadSearchString).arg(eSearchString->text(), q(why)),
                          {}, PromptKind::Warning);
        eSearchString->setFocus();
        return;
    }
    mRawSVExtracted->clear();
    mSortedAveragedSV->clear();
    mSVPColumn->clear();
    const ExtractResult r = ExtractProfilePairs(
        narrow(memoLines(mRawSVData)), *format, rSVFirst->isChecked(), [](double sv, int line) {
            const PromptAnswer a =
                prompts().ask(localText(kSvpValueOutOfRange).arg(q(formatGeneral(sv)), QString::number(line)), {},
                              {PromptAnswer::Ok, PromptAnswer::Cancel}, PromptKind::Warning);
            return a == PromptAnswer::Ok ? OutOfRangeAnswer::SkipLine : OutOfRangeAnswer::Stop;
        });
    setMemoLines(mRawSVExtracted, widen(r.pairs));
}

std::optional<int> SoundVelocityWindow::maxDepth()
{
    const std::optional<long long> v = parseInteger(toCp1254(eMaxDepth->text()));
    if (!v) {
        ReportError(translatedArgs("'%1' is not a valid integer value", {eMaxDepth->text()}));
        return std::nullopt;
    }
    // A bound keeps a slip of the finger from making a table of millions of lines.
    if (*v < 1 || *v > kMaxProfileDepth) {
        prompts().message(localText(kSvpMaxDepthRange).arg(kMaxProfileDepth), {}, PromptKind::Warning);
        eMaxDepth->setFocus();
        return std::nullopt;
    }
    return int(*v);
}

void SoundVelocityWindow::onAverageVelocitiesClicked()
{
    const std::optional<int> depth = maxDepth();
    if (!depth) return;
    mSortedAveragedSV->clear();
    mSVPColumn->clear();
    setMemoLines(mSortedAveragedSV, widen(AverageProfile(narrow(memoLines(mRawSVExtracted)), *depth)));
}

void SoundVelocityWindow::onBuildProfileColumnClicked()
{
    const std::optional<int> depth = maxDepth();
    if (!depth) return;
    const SvColumnResult r = BuildSvColumn(narrow(memoLines(mSortedAveragedSV)), *depth);
    if (r.status != SvColumnResult::Status::Ok) {
        mSVPColumn->clear();
        bSaveClose->setEnabled(false);
        prompts().message(r.status == SvColumnResult::Status::NoSurfaceValue
                              ? localText(kSvpNoSurfaceValue)
                              : localText(kSvpColumnOutOfRange).arg(r.depth));
        return;
    }
    setMemoLines(mSVPColumn, widen(r.column));
    bSaveClose->setEnabled(true);
    cUseSVP->setEnabled(true);
}

// ---- The profile in use -------------------------------------------------------------------------

void SoundVelocityWindow::onUseProfileToggled(bool checked)
{
    if (checked) {
        int bad = -1;
        std::optional<SoundVelocityColumn> column = SoundVelocityColumn::parse(narrow(memoLines(mSVPColumn)), &bad);
        if (!column) {
            cUseSVP->setChecked(false);
            if (!creating_)
                prompts().message(bad < 0 ? localText(kSvpColumnEmpty) : localText(kSvpColumnLineUnusable).arg(bad + 1));
            return;
        }
        committed_ = std::move(column);
        if (Offsets) {
            Offsets->SV->setEnabled(false);
            SetLocalText(Offsets->bSVP, kSvpProfileUsedCaption.en, kSvpProfileUsedCaption.tr);
        }
    } else {
        committed_.reset();
        if (Offsets) {
            Offsets->SV->setEnabled(true);
            SetLocalText(Offsets->bSVP, kSvpSingleSvCaption.en, kSvpSingleSvCaption.tr);
        }
    }
}

void SoundVelocityWindow::columnTextChanged()
{
    if (!cUseSVP->isChecked()) return;
    int bad = -1;
    std::optional<SoundVelocityColumn> column = SoundVelocityColumn::parse(narrow(memoLines(mSVPColumn)), &bad);
    if (column) committed_ = std::move(column);
    // An emptied column is no profile: the single sound velocity takes over, visibly.
    else if (bad < 0) cUseSVP->setChecked(false);
    // A line half typed: the column in force stays until the text is a column again.
}

// ---- Search format ------------------------------------------------------------------------------

void SoundVelocityWindow::onAutoDetectTriggered()
{
    const QStringList raw = memoLines(mRawSVData);
    if (raw.isEmpty()) {
        prompts().message(localText(kSvpNoDataLoaded));
        return;
    }
    const std::optional<DetectedProfileFormat> f = DetectProfileFormat(narrow(raw));
    if (!f) {
        prompts().message(localText(kSvpNoHeader));
        return;
    }
    eSearchString->setText(fromCp1254(f->searchString));
    (f->svFirst ? rSVFirst : rDFirst)->setChecked(true);
    const QString delimiter = f->delimiter == '\t' ? QStringLiteral("TAB") : QString(QLatin1Char(f->delimiter));
    prompts().message(localText(kSvpDetected)
                          .arg(QString::number(f->headerLine + 1), delimiter, QString::number(f->svColumn + 1),
                               QString::number(f->depthColumn + 1), eSearchString->text()));
}

void SoundVelocityWindow::onDefaultsTriggered()
{
    eSearchString->setText(QString::fromLatin1(kDefaultSvpSearchString));
    eMaxDepth->setText(QString::fromLatin1(kDefaultSvpMaxDepth));
    rSVFirst->setChecked(true);
}

void SoundVelocityWindow::onSearchStringDoubleClicked() { eSearchString->setText(QString::fromLatin1(kDefaultSvpSearchString)); }

bool SoundVelocityWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == eSearchString && event->type() == QEvent::MouseButtonDblClick) onSearchStringDoubleClicked();
    return QWidget::eventFilter(watched, event);
}

// ---- Graph ----------------------------------------------------------------------------------------

void SoundVelocityWindow::onGraphClicked()
{
    const QStringList table = memoLines(mSortedAveragedSV);
    if (isBlank(table)) {
        prompts().message(localText(kSvpNoDataToGraph));
        return;
    }
    if (!fSVPGraph) fSVPGraph = new SoundVelocityGraphWindow;
    fSVPGraph->LoadPoints(narrow(table));
    // Kept above this window (which stays on top) while it is shown.
    fSVPGraph->winId();
    if (QWindow* graph = fSVPGraph->windowHandle()) graph->setTransientParent(window()->windowHandle());
    if (fSVPGraph->exec() != QDialog::Accepted || !fSVPGraph->DataChanged()) return;
    // Back to one line per metre, so every line still sits at the index of its depth.
    const int depth = std::clamp(strToIntDef(toCp1254(eMaxDepth->text()), 0), 0, kMaxProfileDepth);
    setMemoLines(mSortedAveragedSV, widen(LayOutTableByDepth(fSVPGraph->WritePoints(), depth)));
    mSVPColumn->clear();
    bSaveClose->setEnabled(false);
    prompts().message(localText(kSvpDataUpdated));
}

// ---- Saving -----------------------------------------------------------------------------------------

bool SoundVelocityWindow::writeCopies(bool dayCopies, std::string* error)
{
    const std::string folder = dayCopies ? SvpFolder : SvpStandingFolder();
    makeFolders(folder);
    const std::string today = CurrentDateString();
    for (SvpTable t : kSvpTables) {
        const std::string path = dayCopies ? SvpDayCopyName(folder, today, t) : SvpStandingCopyName(folder, t);
        std::string why;
        if (!WriteSvpTableFile(path, memoLines(memoOf(t)), &why)) {
            if (error) *error = localText(kSvpCopyNotWritten).arg(q(path), q(why)).toStdString();
            return false;
        }
    }
    return true;
}

bool SoundVelocityWindow::SaveDayCopiesIfInUse(std::string* error)
{
    if (!cUseSVP->isChecked()) return true;
    return writeCopies(true, error);
}

void SoundVelocityWindow::onSaveCloseClicked()
{
    surveyHost().AutoSave();
    std::string error;
    if (!writeCopies(true, &error)) {
        // The day's record of the profile is missing: the window stays open to try again.
        ReportError(q(error));
        return;
    }
    // The standing copies only seed a later day; a folder that refuses them does not hold up.
    writeCopies(false, nullptr);
    close();
}

} // namespace vsx
