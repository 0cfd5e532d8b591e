#pragma once

#include "control/ControllerConfig.h"
#include "fakes/FakeDisplays.h"
#include "fakes/FakeLoginItem.h"
#include "support/FakeBrightness.h"
#include "support/ScriptedTool.h"
#include "support/ThreeScreens.h"

namespace lumora::test {

// The benchmarks' desk: the three screens, a built-in panel at 50 %, a luminance tool answering
// 50 of 100 and setting whatever it is asked, and a power tool that succeeds.
struct BenchDesk {
    BenchDesk() {
        m1ddc.script(ScriptedTool::monitorsAt(50, 100) << "display * set luminance *\tout=$5");
        panelctl.script({"**"});
        brightness.level(50);
        setUpThreeScreens(displays);
    }

    ControllerConfig config() const {
        ControllerConfig config = m1ddc.config();
        config.applicationFolder = panelctl.folder();
        return config;
    }

    ScriptedTool m1ddc{QStringLiteral("m1ddc")};
    ScriptedTool panelctl{QStringLiteral("panelctl")};
    FakeBrightness brightness;
    FakeDisplays displays;
    FakeLoginItem loginItem;
};

} // namespace lumora::test
