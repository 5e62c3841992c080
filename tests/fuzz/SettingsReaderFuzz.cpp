// Any bytes as a settings file: what is read must be written and read back
// as the same values.
#include "FuzzInput.h"
#include "core/settings/SettingsFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const SettingsValues values = ParseSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    Require(ParseSettings(SettingsFileBytes(values)) == values);
    return 0;
}
