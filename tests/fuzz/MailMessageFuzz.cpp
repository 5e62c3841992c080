// Any sender, receiver, subject and body through the message builder: no
// value starts a header, no line passes 76 characters in the body, and
// the body decodes to the text given. Any receivers text through the
// selection: only addresses, each once.
#include <set>

#include "FuzzInput.h"
#include "core/mail/MailMessage.h"
#include "core/receivers/MailAddresses.h"

namespace {

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

std::string DecodedQuotedPrintable(const std::string& encoded)
{
    std::string text;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded.compare(i, 3, "=\r\n") == 0) {
            i += 2;
        } else if (encoded[i] == '=') {
            Require(i + 2 < encoded.size());
            text += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
            i += 2;
        } else if (encoded.compare(i, 2, "\r\n") == 0) {
            text += '\n';
            ++i;
        } else {
            Require(encoded[i] != '\r' && encoded[i] != '\n');
            text += encoded[i];
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    MailMessage message;
    message.date = input.Int() * 86400L * 365;
    message.from.name = input.Text();
    message.from.address = input.Text();
    message.to.name = input.Text();
    message.to.address = input.Text();
    message.subject = input.Text();
    message.messageId = "1.vantrel";
    message.body = input.Rest();
    if (!AddressProblem(message.from.address).empty())
        message.from.address = "ann@x.org";
    if (!AddressProblem(message.to.address).empty())
        message.to.address = "b@y.org";

    const std::string written = WriteMailMessage(message);
    const std::size_t headerEnd = written.find("\r\n\r\n");
    Require(headerEnd != std::string::npos);
    const std::string headers = written.substr(0, headerEnd + 2);
    int starts = 0;
    for (std::size_t line = 0; line < headers.size();) {
        const std::size_t end = headers.find("\r\n", line);
        Require(end != std::string::npos && end - line <= 998);
        const std::string text = headers.substr(line, end - line);
        Require(text.find_first_of("\r\n") == std::string::npos);
        if (text[0] != ' ') {
            ++starts;
            Require(text.rfind("From: ", 0) == 0 || text.rfind("To: ", 0) == 0 ||
                    text.rfind("Subject: ", 0) == 0 || text.rfind("Date: ", 0) == 0 ||
                    text.rfind("Message-ID: ", 0) == 0 || text.rfind("MIME-Version: ", 0) == 0 ||
                    text.rfind("Content-Type: ", 0) == 0 ||
                    text.rfind("Content-Transfer-Encoding: ", 0) == 0);
        }
        line = end + 2;
    }
    Require(starts == 8);
    const std::string body = written.substr(headerEnd + 4);
    for (std::size_t line = 0, end; line < body.size(); line = end + 2) {
        end = body.find("\r\n", line);
        if (end == std::string::npos)
            end = body.size();
        Require(end - line <= 76);
        Require(body[line] != '.');
    }
    Require(DecodedQuotedPrintable(body) == message.body);

    // Every receiver is an address written whole in the text, and once.
    const ReceiverSelection selection = SelectReceivers(message.body);
    std::set<std::string> keys;
    for (const Mailbox& receiver : selection.receivers) {
        Require(AddressProblem(receiver.address).empty());
        Require(message.body.find(receiver.address) != std::string::npos);
        Require(keys.insert(AddressKey(receiver.address)).second);
    }
    return 0;
}
