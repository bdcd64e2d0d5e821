#include "FlatProfile.h"

#include <algorithm>

namespace kivra {

FlatProfile ComputeFlatProfile(const CallProfile& profile) {
    FlatProfile flat;
    flat.TopLevelTotal = profile.TopLevelTotal;
    flat.OwnSum = profile.OwnSum;
    flat.CallCount = static_cast<int>(profile.Calls.size());
    flat.Entries.resize(profile.Names.size());
    for (std::size_t n = 0; n < profile.Names.size(); ++n) flat.Entries[n].Name = profile.Names[n];

    // How many calls of each name are open along the path to the current
    // call: a call whose name is already open is nested in a call of the
    // same name, and its time is already in that call's total.
    std::vector<int> open(profile.Names.size(), 0);
    std::vector<int> path;  // indexes of the calls from the top level down to the current one
    for (std::size_t c = 0; c < profile.Calls.size(); ++c) {
        const ProfileCall& call = profile.Calls[c];
        while (!path.empty() && path.back() != call.Parent) {
            --open[static_cast<std::size_t>(profile.Calls[static_cast<std::size_t>(path.back())].Name)];
            path.pop_back();
        }
        const auto name = static_cast<std::size_t>(call.Name);
        FlatEntry& entry = flat.Entries[name];
        if (entry.Calls == 0 || call.Own > entry.MaxOwn) entry.MaxOwn = call.Own;
        ++entry.Calls;
        entry.Own += call.Own;
        if (open[name] == 0) entry.Total += call.Total;
        ++open[name];
        path.push_back(static_cast<int>(c));
    }
    for (FlatEntry& entry : flat.Entries) {
        if (entry.Calls > 0) entry.MeanOwn = entry.Own / entry.Calls;
        if (flat.TopLevelTotal > 0.0) entry.OwnPercent = entry.Own / flat.TopLevelTotal * 100.0;
    }
    return flat;
}

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool NameBefore(const std::string& a, const std::string& b) {
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                   [](char x, char y) { return Lower(x) < Lower(y); });
    if (less) return true;
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                      [](char x, char y) { return Lower(x) < Lower(y); });
    return !greater && a < b;
}

void SortFlatProfile(FlatProfile& profile, FlatOrder order) {
    auto byName = [](const FlatEntry& a, const FlatEntry& b) { return NameBefore(a.Name, b.Name); };
    auto sortBy = [&](auto key) {
        std::stable_sort(profile.Entries.begin(), profile.Entries.end(), [&](const FlatEntry& a, const FlatEntry& b) {
            const auto ka = key(a);
            const auto kb = key(b);
            if (ka != kb) return ka > kb;
            return byName(a, b);
        });
    };
    switch (order) {
    case FlatOrder::Own: sortBy([](const FlatEntry& e) { return e.Own; }); break;
    case FlatOrder::Total: sortBy([](const FlatEntry& e) { return e.Total; }); break;
    case FlatOrder::Calls: sortBy([](const FlatEntry& e) { return e.Calls; }); break;
    case FlatOrder::Name: std::stable_sort(profile.Entries.begin(), profile.Entries.end(), byName); break;
    }
}

}  // namespace kivra
