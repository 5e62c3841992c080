// Any bytes as an imported receiver list: the receivers text must be UTF-8
// without NUL, end in a line feed, and its addresses must come back the
// same through an export and a new import.
#include "FuzzInput.h"

#include "core/documents/ReceiverFile.h"
#include "core/documents/TextEncoding.h"
#include "core/receivers/ReceiverList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string receivers = ReceiversFromImportBytes(bytes);
    Require(IsValidUtf8(receivers));
    Require(receivers.find('\0') == std::string::npos);
    Require(!receivers.empty() && receivers.back() == '\n');

    for (int delimiter = 0; delimiter <= 3; ++delimiter) {
        const std::string collected = CollectReceivers(receivers, delimiter).joined;
        Require(ReceiversFromImportBytes(ReceiverExportBytes(collected)) == collected + "\n");
    }
    return 0;
}
