#pragma once

#include "platform/Screen.h"

#include <QList>
#include <map>
#include <set>

namespace lumora {

// One entry (a window, or a window with what it shows) per screen, kept from call to call: an
// entry is made at its screen's first listing, reused while the screen stays listed, and dropped
// with its windows when the screen is no longer listed. Screens without a number are skipped.
template <typename Entry> class ScreenWindows {
public:
    // Brings the entries in line with `screens`: drops those of unlisted screens, makes the
    // missing ones with `make()`, then calls `use(entry, screen)` for each screen in list order.
    template <typename Make, typename Use>
    void update(const QList<Screen>& screens, Make make, Use use) {
        std::set<quint32> listed;
        for (const Screen& screen : screens) {
            if (screen.number)
                listed.insert(*screen.number);
        }
        std::erase_if(m_entries, [&](const auto& entry) { return !listed.contains(entry.first); });
        for (const Screen& screen : screens) {
            if (!screen.number)
                continue;
            auto found = m_entries.find(*screen.number);
            if (found == m_entries.end())
                found = m_entries.emplace(*screen.number, make()).first;
            use(found->second, screen);
        }
    }

    template <typename Visit> void forEach(Visit visit) {
        for (auto& [display, entry] : m_entries)
            visit(entry);
    }

private:
    std::map<quint32, Entry> m_entries;
};

} // namespace lumora
