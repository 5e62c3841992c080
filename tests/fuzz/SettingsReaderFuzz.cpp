// Any bytes as a settings file: setting one value changes that value and
// nothing else that is read, and the value reads back byte for byte.
#include "FuzzInput.h"
#include "core/settings/SettingsFormat.h"

// Names compare in any case of letters, as the reader finds them.
bool SameValues(const SettingsValues& a, const SettingsValues& b)
{
    if (a.size() != b.size())
        return false;
    for (const auto& [name, value] : a) {
        const auto found = b.find(name);
        if (found == b.end() || found->second != value)
            return false;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string value = input.Text();
    const std::string file = input.Rest();
    SettingsValues expected = ParseSettings(file);
    expected.insert_or_assign("LatestPath", value);
    Require(SameValues(ParseSettings(UpdateSettingsBytes(file, "latestpath", value)), expected));
    return 0;
}
