// Any bytes given to the document reader: it must stay inside them, give
// UTF-8 texts, and what it read must survive being written and read again.
// Read in pieces without the receivers, they give the same document.
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
    const Result<Document> skipped = ReadDocumentBytes(bytes, ReceiversText::Skip);
    DocumentWithoutReceivers reader;
    const std::size_t piece = size == 0 ? 1 : 1 + data[0] % 7;
    for (std::size_t at = 0; at < size; at += piece)
        reader.Take(std::string_view(bytes).substr(at, piece));
    const Result<Document> pieces = reader.Finish();
    Require(!pieces == !skipped);
    Require(!pieces || WriteDocumentBytes(pieces->form, 0) == WriteDocumentBytes(skipped->form, 0));

    const Result<Document> document = ReadDocumentBytes(bytes);
    if (!document) {
        Require(document.failure() == Failure::Damaged);
        return 0;
    }
    Require(TextsAreUtf8WithoutNul(document->form));

    const std::string written = WriteDocumentBytes(document->form, document->receiverDelimiter);
    const Result<Document> reread = ReadDocumentBytes(written);
    Require(reread && reread->receiverDelimiter == document->receiverDelimiter && reread->cutAtNul.empty());
    Require(WriteDocumentBytes(reread->form, reread->receiverDelimiter) == written);
    return 0;
}
