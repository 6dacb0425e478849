#include "engine/LiveCoreState.h"

#include <obs.h>

#include <algorithm>
#include <cstring>

namespace {
bool sameName(const std::string& entry, const char* name)
{
    return name && entry.size() == std::strlen(name) && std::memcmp(entry.data(), name, entry.size()) == 0;
}
} // namespace

int LiveCoreState::add_source(const char* name, int kind, int subtype, obs_source* source)
{
    LiveCoreSource entry;
    entry.id = ++last_source_id;
    entry.name = name ? name : "";
    entry.kind = kind;
    entry.subtype = subtype;
    entry.source = source;
    sources.push_back(std::move(entry));
    return last_source_id;
}

const LiveCoreSource* LiveCoreState::find_entry(const char* name) const
{
    for (const LiveCoreSource& s : sources) {
        if (sameName(s.name, name))
            return &s;
    }
    return nullptr;
}

int LiveCoreState::entry_count(const char* name) const
{
    return int(std::count_if(sources.begin(), sources.end(),
                             [name](const LiveCoreSource& s) { return sameName(s.name, name); }));
}

obs_source* LiveCoreState::find_source(const char* name) const
{
    const LiveCoreSource* entry = find_entry(name);
    return entry ? entry->source : nullptr;
}

bool LiveCoreState::remove_source(const char* name)
{
    auto it = std::find_if(sources.begin(), sources.end(),
                           [name](const LiveCoreSource& s) { return sameName(s.name, name); });
    if (it == sources.end())
        return false;
    if (it->kind != 2 && it->source)
        obs_source_release(it->source);
    sources.erase(it);
    return true;
}

int LiveCoreState::remove_entries_of(obs_source* source)
{
    const auto before = sources.size();
    sources.erase(std::remove_if(sources.begin(), sources.end(),
                                 [source](const LiveCoreSource& s) { return s.kind == 2 && s.source == source; }),
                  sources.end());
    return int(before - sources.size());
}

std::string windowListName(const ObsListItem& item)
{
    const std::string& v = item.value;
    const size_t first = v.find("\r\n");
    if (first == std::string::npos)
        return item.name;
    const size_t second = v.find("\r\n", first + 2);
    if (second == std::string::npos)
        return item.name;
    return v.substr(second + 2) + ": " + v.substr(first + 2, second - first - 2);
}
