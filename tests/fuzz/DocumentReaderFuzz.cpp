// Any bytes given to the document reader: it must stay inside them, give
// UTF-8 texts, and what it read must survive being written and read again.
#include "FuzzInput.h"

#include "core/documents/DocumentFormat.h"
#include "core/documents/TextEncoding.h"

namespace {

bool TextsAreUtf8WithoutNul(const FormValues& form)
{
    for (const std::string* text :
         {&form.productName, &form.productVersion, &form.featuresText, &form.receivers, &form.otherTypeText,
          &form.productUrl, &form.imageUrl, &form.price, &form.operatingSystem, &form.contactEmail,
          &form.trialLimit, &form.companyName, &form.contactName}) {
        if (!IsValidUtf8(*text) || text->find('\0') != std::string::npos)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FormValues form;
    const DocumentReadOutcome outcome = ReadDocumentBytes(bytes, form);
    Require(outcome.recordsApplied >= 0 && outcome.recordsApplied <= kDocumentRecordCount);
    Require(outcome.damaged == (outcome.recordsApplied < kDocumentRecordCount));
    Require(outcome.receiverDelimiter.has_value() == (outcome.recordsApplied >= 16));
    Require(TextsAreUtf8WithoutNul(form));

    const int delimiter = outcome.receiverDelimiter.value_or(0);
    const std::string written = WriteDocumentBytes(form, delimiter);
    FormValues again;
    const DocumentReadOutcome reread = ReadDocumentBytes(written, again);
    Require(!reread.damaged && reread.receiverDelimiter == delimiter);
    Require(WriteDocumentBytes(again, delimiter) == written);
    return 0;
}
