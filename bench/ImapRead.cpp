// Reads a whole IMAP mailbox with ReadImap, as checking replies does, and
// prints the seconds it took, the messages and their bytes (bench/imap.sh).
#include <chrono>
#include <cstdio>

#include "core/replies/MailboxReader.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s URL USER PASSWORD\n", argv[0]);
        return 2;
    }
    ImapMailbox mailbox;
    mailbox.url = argv[1];
    mailbox.user = argv[2];
    mailbox.password = argv[3];
    std::size_t bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    const MailboxReading reading =
        ReadImap(mailbox, 0, [&](std::string_view message, std::size_t, std::size_t) {
            bytes += message.size();
            return true;
        });
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!reading.problem.empty()) {
        std::fprintf(stderr, "%s\n", reading.problem.c_str());
        return 1;
    }
    std::printf("%.3f %zu %zu\n", took.count(), reading.read, bytes);
    return 0;
}
