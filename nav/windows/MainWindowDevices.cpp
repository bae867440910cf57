// The main window's echosounder line handler, device events (a device lost during a run and its
// return among them), event marks and echogram timer.
#include "nav/windows/MainWindow.h"

#include "app/ErrorReport.h"
#include "app/Translated.h"
#include "app/Settings.h"
#include "app/SharedValues.h"
#include "app/windows/MessageWindow.h"
#include "app/windows/WindowPointers.h"
#include "app/windows/WindowSetup.h"
#include "canvas/VeldorCanvas.h"
#include "input/DeviceSettings.h"
#include "input/SounderMessageType.h"
#include "input/TVeldorSerialGPS.h"
#include "input/windows/DeviceSettingsWindow.h"
#include "nav/EventMarks.h"
#include "nav/ExtraVesselLines.h"
#include "nav/ExtraVesselTracker.h"
#include "nav/RealtimeState.h"
#include "nav/SounderLineHandler.h"
#include "nav/SurveyRun.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "tools/windows/NavigationSettingsWindow.h"
#include "tools/windows/OffsetsWindow.h"
#include "tools/windows/BatteryWindow.h"
#include "tools/windows/RealtimeDataWindow.h"
#include "tools/windows/SoundVelocityWindow.h"
#include "tools/windows/WaterfallWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>

namespace vsx {

namespace {
void colour(QWidget* w, ColorValue c)
{
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toQColor(c));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}
std::uint32_t nowTick() { return std::max<std::uint32_t>(1, std::uint32_t(tickCountMs())); }
QString portName(const TVeldorSerialGPS* r) { return QStringLiteral("COM%1").arg(r->PortNumber); }
} // namespace

namespace {

// The run's reason in the interface's language: its lead and the serial layer's advice are the
// program's own words; paths and port names stay as they are.
QString refusedStartText(const QString& why)
{
    static const char* const leads[] = {"Realtime not started: GNSS port failed to open",
                                        "Realtime not started: echosounder port failed to open"};
    for (const char* lead : leads) {
        const QString english = QString::fromUtf8(lead);
        if (!why.startsWith(english)) continue;
        QString detail = why.mid(english.size());
        if (detail.startsWith(QStringLiteral(": "))) detail = detail.mid(2);
        if (detail.isEmpty()) return translated(lead);
        return translated(lead) + QStringLiteral(": ") +
               translatedMessage(detail,
                                 {"%1: Cannot open %2: permission denied; add the user to the dialout group",
                                  "%1: Cannot open %2: no such device; check that it is plugged in and that its path is right",
                                  "%1: Cannot open %2: the port is in use; close the program that holds it",
                                  "%1 is not assigned to a serial device; add a line %2=<device path> (for example "
                                  "/dev/ttyUSB0) to [SERIAL_PORTS] in %3",
                                  "no serial port is chosen; choose one in the Settings window",
                                  "%1 is not a serial port name (COM1 to COM%2)"});
    }
    const QString generic = QStringLiteral("Realtime not started: ");
    if (why.startsWith(generic))
        return translated("Realtime not started") + QStringLiteral(": ") + ErrorText(why.mid(generic.size()).toStdString());
    return why;
}

} // namespace

QString MainWindow::runMessageText(const std::string& line)
{
    const QString text = fromCp1254(line);
    if (text.startsWith(QStringLiteral("Realtime not started"))) return refusedStartText(text);
    const QString geodesy = QStringLiteral("Geodesy session log not written: ");
    if (text.startsWith(geodesy)) return translated("Geodesy session log not written") + ": " + text.mid(geodesy.size());
    return text;
}

void MainWindow::showRefusedStart(QWidget* actedIn)
{
    // The run has put the reason into the message window and the events log; a surveyor who
    // pressed Start is looking at the button, so it is said there too.
    const std::string& why = run_->LastStartError();
    if (why.empty()) return;
    prompts().message(refusedStartText(fromCp1254(why)), translated("Realtime not started"), PromptKind::Error,
                      actedIn);
}

void MainWindow::noteWrite(const std::string& what, const std::string& file, bool written, const std::string& reason)
{
    const WriteChange change = writeWatch_.Note(what, file, written, reason);
    if (change.kind == WriteChange::Kind::None) return;
    const bool failed = change.kind == WriteChange::Kind::Failed;
    const char* english = failed ? "Cannot write %1: %2" : "Writing %1 again; %2 lines were lost";
    const QStringList args{fromCp1254(change.file), failed ? QString::fromLocal8Bit(change.reason.c_str())
                                                           : QString::number(change.lost)};
    // The events log first: when it cannot be written either, its own failure is said too, and
    // the status bar then ends on this file's words.
    AppendEventLine(toCp1254(fillArgs(english, args)), EventsLogFileName());
    const QString text = translatedArgs(english, args);
    if (FMsg) FMsg->AddMessage(text, failed);
    if (sStatusBar) sStatusBar->showMessage(text, 60000);
}

void MainWindow::reportDeviceEvent(const char* english, const QStringList& args, bool showWindow)
{
    // The window speaks the interface's language; the events log stays in English. Vessel names
    // in the values are Windows-1254 in the log, as everywhere in it.
    MessageText = translatedArgs(english, args);
    if (FMsg) FMsg->AddMessage(MessageText, showWindow);
    AppendEventLine(toCp1254(fillArgs(english, args)), EventsLogFileName());
}

const ScanFormat* MainWindow::currentScanFormat()
{
    const std::string text = deviceSettings().validSounderScanFormat();
    if (!scanFormat_ || text != scanFormatText_) {
        scanFormatText_ = text;
        scanFormat_ = ScanFormat::compile(text);
    }
    return scanFormat_ ? &*scanFormat_ : nullptr;
}

void MainWindow::applyDepthAlarm(double trueDepthHi)
{
    if (!run_ || !run_->Running() || !fcad) return;
    const ColorValue wanted = trueDepthHi <= DepthAlarmLevel ? ColorValue(0x0000FF)
                                                             : (Navset ? Navset->backgroundColor() : clWhite);
    // The canvas repaints itself when the colour changes; nothing to do otherwise.
    if (fcad->Model().BackgroundColor() != wanted) fcad->Model().SetBackgroundColor(wanted);
}

void MainWindow::onSounderLine(TVeldorSerialGPS*, const std::string& command)
{
    SensorWatch.lineArrived(nowTick());
    const std::string type = deviceSettings().sounderMessageType();
    if (!FirstSensorLineSeen) {
        if (fWaterfal) fWaterfal->ShowForDepths();
        if (fRealtime) {
            fRealtime->DepthFrameHi->show();
            const SounderMessageType* t = findSounderMessageType(type);
            if (t && t->lowFrequencyBox == LowFrequencyBoxAction::Shown) fRealtime->ShowLowFrequencyDepth();
        }
        FirstSensorLineSeen = true;
    }
    if (FGPS) FGPS->EchoMonitorLine(FGPS->MemoSensor, command);
    if (fRealtime) {
        colour(fRealtime->DepthFrameHi, 0x00FF00);
        colour(fRealtime->DepthFrameLo, 0x00FF00);
    }
    // Every typed value comes with its last valid number: a half-typed field never costs a record.
    DepthAlarmLevel = Navset ? Navset->depthAlert() : 0;
    RealtimeState& st = realtimeState();
    // Every record carries the offsets in force at its own line, the first of a run included,
    // whether or not the receiver has said anything yet.
    const OffsetNumbers offsets = Offsets ? Offsets->valuesInForce()
                                          : OffsetNumbers{st.TransducerDraft, st.SoundVelocity, st.AntennaHeight, st.ManualTide};
    SounderLineInputs in;
    in.depth.messageType = type;
    in.depth.format = currentScanFormat();
    in.depth.soundVelocity = offsets.soundVelocity;
    // With the profile in use the velocity comes from its column at the rounded raw depth.
    if (const SoundVelocityColumn* column = fSVP ? fSVP->ColumnInUse() : nullptr)
        in.depth.profileVelocity = [column](double raw) { return column->velocityAt(raw); };
    in.depth.draft = offsets.draft;
    in.alarmLevel = DepthAlarmLevel;
    in.manualTide = offsets.tide;
    in.rtkAntennaHeight = st.RtkAntennaHeight;
    in.rtkTide = st.RtkTide;
    // The record stands where this moment's fix puts it, or states that it has no position.
    in.position = SoundingPositionNow();
    in.now = localNow();
    in.csvFileName = CoordinatesFileName;
    in.xyzFileName = XyzFolder + TodayString + " Simple XYZ.csv";
    if (Offsets && Offsets->isVisible() && !Offsets->ShowsValuesInForce()) {
        // The window shows numbers the depths do not use: say which ones they use.
        if (!reportedBadOffsets_) {
            const OffsetNumbers& v = Offsets->valuesInForce();
            sStatusBar->showMessage(
                translatedArgs("Depths use the offsets in force: A %1 m, SV %2 m/s, C %3 m, tide %4 m; press Realtime "
                               "in the Offsets window to use the values shown",
                               {QString::fromStdString(formatGeneral(v.draft)), QString::fromStdString(formatGeneral(v.soundVelocity)),
                                QString::fromStdString(formatGeneral(v.antennaHeight)), QString::fromStdString(formatGeneral(v.tide))}),
                30000);
        }
        reportedBadOffsets_ = true;
    } else {
        reportedBadOffsets_ = false;
    }

    const SounderLineOutput out = HandleSounderLine(command, in);
    if (!out.depth.recognised) return;
    // A file that cannot take the record is said once, and its return once; the other file
    // still takes every record it can. A line that made no record wrote nothing: it says nothing
    // of the files, and a corrupt one is counted for the end of the run.
    if (out.csvAttempted)
        noteWrite("survey csv", out.csvWritten ? out.csvFile : in.csvFileName, out.csvWritten, out.csvError);
    if (out.leftOut) ++leftOutDepthLines_;
    if (out.xyzAttempted) noteWrite("simple xyz", in.xyzFileName, out.xyzWritten, out.xyzError);
    st.TrueDepthHi = out.depth.trueHi;
    st.TrueDepthLo = out.depth.trueLo;
    if (fRealtime) {
        fRealtime->lDepthHi->setText(QString::fromStdString(out.depth.hiLabel));
        fRealtime->lDepthLo->setText(QString::fromStdString(out.depth.loLabel));
    }
    if (out.depth.battery && fJoystick) fJoystick->pBattery->setText(QString::fromStdString(formatFixed(*out.depth.battery, 2)));
    if (out.csvHeaderWritten) CsvHeaderText = kSurveyCsvHeader;
    setStatusPanel(5, fromCp1254(out.statusText), 20);
    if (out.newDepth) NewDepthAvailable = true;
    if (!out.depth.corrupt) applyDepthAlarm(out.depth.trueHi);
}

void MainWindow::reportLeftOutDepthLines()
{
    if (leftOutDepthLines_ > 0)
        AppendEventLine(toCp1254(fillArgs("Corrupt depth lines left out of the sounding files: %1",
                                          {QString::number(leftOutDepthLines_)})),
                        EventsLogFileName());
    leftOutDepthLines_ = 0;
}

void MainWindow::onGnssConnected(TVeldorSerialGPS* sender, TVGPSCommPort)
{
    handGnssPortToNtrip();
    reportDeviceEvent("Connected to GPS on %1", {portName(sender)}, false);
    VesselLayerId = fcad ? fcad->Model().FindLayer("~~Veldor Vessel") : -1;
    if (fcad && VesselLayerId >= 0) fcad->Model().SetLayerOption(VesselLayerId, 1);
}

void MainWindow::closeQuietly(TVeldorSerialGPS* receiver)
{
    const bool before = closingQuietly_;
    closingQuietly_ = true;
    receiver->Close();
    closingQuietly_ = before;
}

void MainWindow::onGnssDisconnected(TVeldorSerialGPS* sender, TVGPSCommPort)
{
    handGnssPortToNtrip();
    tMap->stop();
    ShowGnssSilent();
    if (!closingQuietly_) reportDeviceEvent("Disconnected from GPS on %1", {portName(sender)}, true);
}

void MainWindow::onGnssIdle(TVeldorSerialGPS*)
{
    tMap->stop();
    ShowGnssSilent();
    realtimeState().GpsLatitude = 0;
    realtimeState().GpsLongitude = 0;
    reportDeviceEvent("GPS is idle!", {}, true);
    if (fRealtime) colour(fRealtime->GPSGroupBox, 0x0000FF);
}

void MainWindow::onGnssTimeout(TVeldorSerialGPS*)
{
    reportDeviceEvent("GPS Timeout!", {}, true);
    if (FGPS) FGPS->SetMonitorColor(FGPS->MemoGPS, 0x0000FF);
}

void MainWindow::onSounderConnected(TVeldorSerialGPS*, TVGPSCommPort port)
{
    reportDeviceEvent("Connected to NMEA Sensor on %1", {QString::fromStdString(PortNameFromNumber(port))}, true);
}

// A stop or the program's end closes the echosounder quietly; any other close is reported.
void MainWindow::onSounderDisconnected(TVeldorSerialGPS*, TVGPSCommPort port)
{
    if (!closingQuietly_)
        reportDeviceEvent("Disconnected from NMEA Sensor on %1", {QString::fromStdString(PortNameFromNumber(port))}, true);
}

// The receiver's own no-data time (10 s) has passed without a byte from the echosounder; the
// watchdog has said so sooner, this names what to check.
void MainWindow::onSounderIdle(TVeldorSerialGPS*)
{
    reportDeviceEvent("Sensor timeout! Check your connection to the Sensor.", {}, true);
    if (fRealtime) {
        colour(fRealtime->DepthFrameHi, 0x0000FF);
        colour(fRealtime->DepthFrameLo, 0x0000FF);
    }
}

void MainWindow::onSounderTimeout(TVeldorSerialGPS*)
{
    reportDeviceEvent("Sensor TimeOut.", {}, true);
    if (fRealtime) {
        colour(fRealtime->DepthFrameHi, 0x0000FF);
        colour(fRealtime->DepthFrameLo, 0x0000FF);
    }
}

// A lost device is shown as lost wherever its values were shown: the receiver has already
// forgotten them, the map's position is cleared here (soundings stop taking the last one once it
// is no longer current), and the banner and the status bar say so until lines flow again.
void MainWindow::onGnssLost(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    // Reported as a disconnection (the map loop stops and shows no GNSS data); what follows
    // names the cause.
    onGnssDisconnected(sender, port);
    RealtimeState& st = realtimeState();
    st.GpsLatitude = 0;
    st.GpsLongitude = 0;
    setStatusPanelWords(0, "GPS lost on %1", {QString::fromStdString(PortNameFromNumber(port))}, 20);
    setStatusPanel(1, QString(), 20);
    if (fcad) {
        fcad->Settings().HudDeviceText = translated("*** GPS LOST - NO POSITION ***").toStdString();
        fcad->update();
    }
    if (fRealtime) colour(fRealtime->GPSGroupBox, 0x0000FF);
}

void MainWindow::onGnssBack(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    // The map loop starts again with the first line, as after a start, and its first tick takes
    // the note off the banner.
    setStatusPanelWords(0, "GPS back on %1, waiting for a position", {QString::fromStdString(PortNameFromNumber(port))}, 20);
    if (fcad) {
        fcad->Settings().HudDeviceText = translated("*** GPS BACK - NO POSITION YET ***").toStdString();
        fcad->update();
    }
    onGnssConnected(sender, port);
}

void MainWindow::onSounderLost(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    RealtimeState& st = realtimeState();
    st.TrueDepthHi = st.TrueDepthLo = 0;
    NewDepthAvailable = false;
    // The first line after the return shows the depth boxes and the waterfall again.
    FirstSensorLineSeen = false;
    if (fWaterfal) fWaterfal->hide();
    if (fRealtime) {
        fRealtime->lDepthHi->setText("--.--");
        fRealtime->lDepthLo->setText("--.--");
        colour(fRealtime->DepthFrameHi, 0x0000FF);
        colour(fRealtime->DepthFrameLo, 0x0000FF);
    }
    setStatusPanelWords(5, "Echosounder lost on %1", {QString::fromStdString(PortNameFromNumber(port))}, 20);
    // Reported as a disconnection, as the GNSS receiver's loss is; the status bar names the cause.
    onSounderDisconnected(sender, port);
}

void MainWindow::onSounderBack(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    setStatusPanelWords(5, "Echosounder back on %1", {QString::fromStdString(PortNameFromNumber(port))}, 20);
    onSounderConnected(sender, port);
}

namespace {
QString extraVesselLabel(const std::vector<TVeldorSerialGPS*>& receivers, const TVeldorSerialGPS* r)
{
    for (size_t i = 0; i < receivers.size() && i < ExtraVessels.size(); ++i)
        if (receivers[i] == r)
            return ExtraVessels[i].Name.empty() ? QStringLiteral("V%1").arg(i + 2) : fromCp1254(ExtraVessels[i].Name);
    return QStringLiteral("?");
}
} // namespace

void MainWindow::onExtraVesselLost(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    reportDeviceEvent("ExtraGPS %1: disconnected from %2",
                      {extraVesselLabel(ExtraVesselReceivers, sender), QString::fromStdString(PortNameFromNumber(port))},
                      true);
}

void MainWindow::onExtraVesselBack(TVeldorSerialGPS* sender, TVGPSCommPort port)
{
    reportDeviceEvent("ExtraGPS %1: connected again on %2",
                      {extraVesselLabel(ExtraVesselReceivers, sender), QString::fromStdString(PortNameFromNumber(port))},
                      false);
}

void MainWindow::onEchogramTick()
{
    RealtimeState& st = realtimeState();
    if (SensorWatch.checkTimeout(nowTick())) {
        if (fWaterfal) fWaterfal->hide();
        if (fRealtime) {
            fRealtime->lDepthHi->setText("--.--");
            fRealtime->lDepthLo->setText("--.--");
        }
        st.TrueDepthHi = st.TrueDepthLo = 0;
        FirstSensorLineSeen = false;
        onSounderTimeout(ZSENSOR);
    }
    if (ZSENSOR && ZSENSOR->Connected() && fWaterfal) {
        if (st.TrueDepthHi <= 0.0001) {
            if (fWaterfal->isVisible()) fWaterfal->hide();
            if (fRealtime) {
                fRealtime->lDepthHi->setText("--.--");
                fRealtime->lDepthLo->setText("--.--");
            }
        } else if (!fWaterfal->isVisible() && FirstSensorLineSeen) {
            fWaterfal->ShowForDepths();
        }
        if (fWaterfal->isVisible() && NewDepthAvailable) fWaterfal->appendDepth(st.TrueDepthHi, 0, 50, fWaterfal->DataWidth);
    }
    NewDepthAvailable = false;
}

void MainWindow::onEchogramTriggered()
{
    if (ZSENSOR && ZSENSOR->Connected()) {
        BringToUser(fWaterfal);
    } else {
        prompts().message(translated("Sensor is not connected. Connect sensor to view waterfall."), {},
                          PromptKind::Information, this);
    }
}

void MainWindow::onEventAddClicked()
{
    const int n = TakeNextEventNumber(GetIniFileName());
    EventLayerId = fcad ? fcad->Model().FindLayer("event_number") : -1;
    const RealtimeState& st = realtimeState();
    if (fcad) fcad->AddEventMarker(st.VesselEasting, st.VesselNorthing, n);
    const std::string hi = fRealtime ? fRealtime->lDepthHi->text().toStdString() : "--.--";
    const std::string lo = fRealtime ? fRealtime->lDepthLo->text().toStdString() : "--.--";
    AppendEventMarkRecord(EventsLogFileName(),
                          FormatEventMarkRecord(n, localNow(), st.VesselEasting, st.VesselNorthing, hi, lo, st.GridHeading));
}

void MainWindow::onEventResetClicked()
{
    if (prompts().ask(translated("Event ID will restart from 1 again. Continue?"), QString(),
                      {PromptAnswer::Yes}, PromptKind::Warning, this) != PromptAnswer::Yes)
        return;
    ResetEventNumber(GetIniFileName());
    AppendEventLine("Event number was reset.", EventsLogFileName());
}

void MainWindow::onDeviceSettingsTriggered()
{
    BringToUser(FGPS);
}

void MainWindow::onSettingsClicked()
{
    BringToUser(FGPS);
}

void MainWindow::onRealtimeWindowTriggered()
{
    BringToUser(fRealtime);
}

void MainWindow::onExtraVesselLine(TVeldorSerialGPS* sender, const std::string& command)
{
    size_t i = 0;
    while (i < ExtraVesselReceivers.size() && ExtraVesselReceivers[i] != sender) ++i;
    if (i >= ExtraVesselReceivers.size() || i >= ExtraVessels.size()) return;
    MultiVesselEntry& v = ExtraVessels[i];
    if (FGPS && FGPS->isVisible()) {
        const std::string label = v.Name.empty() ? "V" + std::to_string(i + 2) : v.Name;
        if (FGPS->EchoMonitorLine(FGPS->MemoGPS, "[" + label + "] " + command) &&
            FGPS->MemoGPS->blockCount() >= 101)
            FGPS->MemoGPS->clear();
    }
    const ProjectionSnapshot* snap = snapshot_.Current();
    const GridProjection projection = MapProjection();
    auto toGrid = [&](double lat, double lon) -> std::optional<std::pair<double, double>> {
        if (!snap) return std::nullopt;
        const auto g = snap->toGrid(lat, lon, 0, projection);
        if (!g) return std::nullopt;
        return std::make_pair(g->easting, g->northing);
    };
    const ExtraVesselLineResult r = HandleExtraVesselLine(v, command, sender->LastSentence(), sender->Fix(), localNow(), toGrid);
    for (const VesselFileWrite* w : {&r.log, &r.record})
        if (w->attempted) noteWrite("vessel file " + w->file, w->file, w->written, w->reason);
    if (r.rejectedGga && ++v.RejectedGga == 1)
        ReportRejectedGga(v.Name.empty() ? "V" + std::to_string(i + 2) : v.Name, command, r.rejectedGga);
}

} // namespace vsx
