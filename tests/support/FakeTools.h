#pragma once

#include "control/ControllerConfig.h"
#include "fakes/FakeLoginItem.h"
#include "support/FakeBrightness.h"
#include "support/ScriptedTool.h"

namespace lumora::test {

// What a controller runs, on fakes: a luminance tool answering 50 of 100 and setting whatever it
// is asked, a power tool that succeeds, a built-in panel at 50 % and a login item.
struct FakeTools {
    FakeTools() {
        m1ddc.script(ScriptedTool::monitorsAt(50, 100) << "display * set luminance *\tout=$5");
        panelctl.script({"**"});
        brightness.level(50);
    }

    ControllerConfig config() const {
        ControllerConfig config = m1ddc.config();
        config.applicationFolder = panelctl.folder();
        return config;
    }

    ScriptedTool m1ddc{QStringLiteral("m1ddc")};
    ScriptedTool panelctl{QStringLiteral("panelctl")};
    FakeBrightness brightness;
    FakeLoginItem loginItem;
};

} // namespace lumora::test
