#pragma once
// Shared by the survey set-up window tests: a temporary home with the shared values set from it,
// recorded prompts, and a survey host that records what the windows ask of the main window.
#include "app/SharedValues.h"
#include "app/TranslationManager.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "tools/SurveyHost.h"

#include "support/TempHome.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vsx::test {

class RecordingHost : public SurveyHost {
public:
    void AutoSave() override { calls.push_back("AutoSave"); }
    bool RealtimeRunning() const override { return running; }
    void PressRealtime() override
    {
        calls.push_back("PressRealtime");
        running = !running;
    }
    void SetMapBackground(ColorValue c) override { background = c; }
    bool SetLayerColor(const std::string& layer, ColorValue c) override
    {
        if (!layers.count(layer)) return false;
        layerColor[layer] = c;
        return true;
    }
    bool SetLayerWidth(const std::string& layer, int w) override
    {
        if (!layers.count(layer)) return false;
        layerWidth[layer] = w;
        return true;
    }
    void RepaintMap() override { ++repaints; }
    void SetMapRefreshInterval(int ms) override { refreshInterval = ms; }
    void ZoomIn() override { calls.push_back("ZoomIn"); }
    void ZoomOut() override { calls.push_back("ZoomOut"); }
    void SetBareLayout(bool bare) override { calls.push_back(bare ? "Bare" : "Normal"); }
    bool EchogramRunning() const override { return echogram; }
    std::string MainRawLogFileName() const override { return rawLog; }
    void ApplySounderMessageType() override { calls.push_back("ApplySounderMessageType"); }
    bool SoundVelocityProfileInUse() const override { return profileInUse; }
    void ShowNumericKeypad(QLineEdit*) override { calls.push_back("NumericKeypad"); }
    void ShowSimpleKeyboard(QLineEdit*) override { calls.push_back("SimpleKeyboard"); }

    bool running = false;
    bool echogram = false;
    bool profileInUse = false;
    std::string rawLog;
    std::vector<std::string> calls;
    std::map<std::string, int> layers;  // layers that exist
    std::map<std::string, ColorValue> layerColor;
    std::map<std::string, int> layerWidth;
    ColorValue background = -1;
    int repaints = 0;
    int refreshInterval = -1;
};

// Everything a window test needs, undone when it goes.
struct ToolsFixture {
    TempHome home;
    RecordingPrompts prompts;
    RecordingHost host;
    FakeClock fakeClock{LocalDateTime{2024, 5, 1, 9, 30, 15, 250}};

    ToolsFixture()
    {
        setClock(&fakeClock);
        setPrompts(&prompts);
        setSurveyHost(&host);
        InitSharedValues();
        VesselSensors.clear();
        ShowSensorLabels = true;
        ActiveTrackingSensor = -1;
    }
    ~ToolsFixture()
    {
        setSurveyHost(nullptr);
        setPrompts(nullptr);
        setClock(nullptr);
        Translator = oldTranslator_;
        VesselSensors.clear();
        ActiveTrackingSensor = -1;
    }
    // Switches the interface to Turkish (or back to English).
    void language(const std::string& code)
    {
        if (!translator_) translator_ = std::make_unique<TranslationManager>(home.path("languages"));
        translator_->SetLanguage(code);
        Translator = translator_.get();
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& e : prompts.entries) out.push_back(e.text.toStdString());
        return out;
    }

private:
    TranslationManager* oldTranslator_ = Translator;
    std::unique_ptr<TranslationManager> translator_;
};

} // namespace vsx::test
