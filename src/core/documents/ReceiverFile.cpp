#include "core/documents/ReceiverFile.h"

#include "core/documents/TextEncoding.h"

std::string ReceiverExportBytes(const std::string& collectedReceivers)
{
    return LfToCrLf(collectedReceivers);
}

std::string ReceiversFromImportBytes(const std::string& bytes)
{
    std::string text = CrLfToLf(bytes);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.erase(nul);
    return Utf8FromUtf8OrWindows1252(text) + '\n';
}
