#include "tools/SurveyHost.h"

namespace vsx {
namespace {
SurveyHost g_idleHost;
SurveyHost* g_host = &g_idleHost;
} // namespace

SurveyHost& surveyHost() { return *g_host; }
void setSurveyHost(SurveyHost* host) { g_host = host ? host : &g_idleHost; }

} // namespace vsx
