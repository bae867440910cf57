#include "nav/HelmsmanSettings.h"

#include "platform/IniFile.h"

namespace vsx {

HelmsmanOptions LoadHelmsmanOptions(const IniFile& ini, const HelmsmanOptions& current)
{
    HelmsmanOptions o = current;
    o.Follow = ini.readBool(kHelmsmanSection, "Follow", current.Follow);
    o.HeadUp = ini.readBool(kHelmsmanSection, "HeadUp", current.HeadUp);
    o.RunlineThick = ini.readBool(kHelmsmanSection, "RunlineThick", current.RunlineThick);
    o.FollowTarget = ini.readInteger(kHelmsmanSection, "FollowTarget", o.Follow ? 0 : -1);
    o.ShowGrid = ini.readBool(kHelmsmanSection, "ShowGrid", false);
    return o;
}

void SaveHelmsmanOptions(IniFile& ini, const HelmsmanOptions& o)
{
    ini.writeBool(kHelmsmanSection, "Follow", o.Follow);
    ini.writeBool(kHelmsmanSection, "HeadUp", o.HeadUp);
    ini.writeBool(kHelmsmanSection, "RunlineThick", o.RunlineThick);
    ini.writeInteger(kHelmsmanSection, "FollowTarget", o.FollowTarget);
    ini.writeBool(kHelmsmanSection, "ShowGrid", o.ShowGrid);
}

} // namespace vsx
