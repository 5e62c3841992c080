// The message as a mail program reads it back: Python's email parser,
// run with Debian's interpreter, so on Linux only.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "FormSamples.h"
#include "TempHome.h"
#include "core/mail/MailMessage.h"
#include "core/mail/ReleaseDelivery.h"
#include "core/release/PressReleaseComposer.h"

namespace {

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// Each file's fields as read_mail.py prints them.
std::vector<std::map<std::string, std::string>> ReadBack(const std::vector<std::string>& paths)
{
    std::string command = "/usr/bin/python3 " VANTREL_TEST_SUPPORT_DIR "/read_mail.py";
    for (const std::string& path : paths)
        command += " " + path;
    std::vector<std::map<std::string, std::string>> messages;
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    for (char buffer[4096]; std::size_t got = fread(buffer, 1, sizeof buffer, pipe);)
        output.append(buffer, got);
    pclose(pipe);
    std::istringstream lines(output);
    for (std::string key, value; lines >> key && std::getline(lines, value);) {
        if (key == "headers")
            messages.emplace_back();
        value = value.substr(value.empty() ? 0 : 1);
        messages.back()[key] = key == "headers" || key == "longest" ? value : FromHex(value);
    }
    return messages;
}

TEST(MailMessageTest, MailProgramsReadBackWhatTheFormSays)
{
    struct Case {
        std::string contactName;
        std::string companyName;
        std::string featuresText;
        std::string readName;  // when it differs from contactName
        std::string readCompany;
    };
    const std::string longLine(200, 'x');
    const Case cases[] = {
        {"Ann Lee", "Tarsel", "Plain!~", "", ""},
        {"Zoë Ångström", "Müller & Söhne GmbH", "Grüße, 日本語 and = signs.", "", ""},
        {"Ann\r\nBcc: all@evil.org", "Tarsel\nBcc: all@evil.org\r\nX-Spam:\tyes", "a\r\nBcc: x@y.org",
         "Ann Bcc: all@evil.org", "Tarsel Bcc: all@evil.org X-Spam: yes"},
        {"\"Quoted\" \\ Name", std::string(150, 'c'), longLine + "\n. dot\nFrom here\ntrailing  \n=3D", "",
         ""},
        {"", "", "", "", ""},
        {"Dr. Łukasz Żółć-Brzęczyszczykiewicz",
         "=?UTF-8?B?Zm9v?=", std::string(75, 'y') + "\n" + std::string(76, 'z'), "", ""},
    };
    TempHome home;
    std::vector<std::string> paths;
    std::vector<DeliveryPlan> plans;
    for (const Case& c : cases) {
        FormValues form = SampleForm();
        form.contactName = c.contactName;
        form.companyName = c.companyName;
        form.featuresText = c.featuresText;
        DeliveryPlan plan;
        plan.sender = ReleaseSender(form, "");
        plan.subject = ReleaseSubject(form);
        plan.release = ComposePressRelease(form);
        paths.push_back(home.sandbox() + "/" + std::to_string(paths.size()) + ".eml");
        WriteFileBytes(paths.back(), ReleaseMessageFor(plan, {"", "b@y.org"}, 1796169600, "1.vantrel"));
        plans.push_back(plan);
    }
    const auto messages = ReadBack(paths);
    ASSERT_EQ(messages.size(), std::size(cases));
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(i);
        auto read = messages[i];
        EXPECT_EQ(read["headers"],
                  "From,To,Subject,Date,Message-ID,List-Unsubscribe,X-Vantrel-Release,MIME-Version,Content-Type,"
                  "Content-Transfer-Encoding");
        EXPECT_LE(std::stoi(read["longest"]), 76);
        EXPECT_EQ(read["from-name"], cases[i].readName.empty() ? cases[i].contactName : cases[i].readName);
        EXPECT_EQ(read["from-address"], "ann@x.org");
        EXPECT_EQ(read["to"], "b@y.org");
        EXPECT_EQ(read["subject"],
                  "Press release from " +
                      (cases[i].readName.empty() ? cases[i].companyName : cases[i].readCompany));
        EXPECT_EQ(read["body"], plans[i].release + "\n" + UnsubscribeFooter("") + "\n");
        const std::string raw = ReadFileBytes(paths[i]);
        EXPECT_TRUE(std::all_of(raw.begin(), raw.end(), [](char c) { return (c & 0x80) == 0; }))
            << "a message travels as 7-bit text";
    }
    const std::string first = ReadFileBytes(paths[0]);
    EXPECT_NE(first.find("\r\nDate: Wed, 02 Dec 2026 00:00:00 +0000\r\n"), std::string::npos);
    EXPECT_NE(first.find("\r\nMessage-ID: <1.vantrel@x.org>\r\n"), std::string::npos);
    EXPECT_NE(first.find("Plain!~"), std::string::npos) << "plain text stays readable";
}

}  // namespace
