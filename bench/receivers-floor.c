/* The floor of `vantrel-cli receivers`: the least a program must do to
 * print the addresses of a document's receivers field. It reads the file
 * in pieces of 256 KiB, walks the sixteen records before the receivers
 * (their lengths count a CR LF as one character), takes the delimiter from
 * the sixteenth, checks that the receivers are UTF-8, and writes every run
 * between separators that holds an "@" (a run with several "@" once from
 * each), joined by the delimiter, through a 256 KiB buffer of its own.
 * Usage: receivers-floor DOCUMENT.pre */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kPiece = 256 * 1024, kRecordsBefore = 16 };

static unsigned char piece[kPiece];
static size_t have, at;
static FILE *in;

static int next_byte(void)
{
    if (at == have) {
        have = fread(piece, 1, sizeof piece, in);
        at = 0;
        if (have == 0)
            return EOF;
    }
    return piece[at++];
}

/* One decoded character: a CR before a LF goes with it. */
static int pending = EOF;
static int next_char(void)
{
    int c = pending != EOF ? pending : next_byte();
    pending = EOF;
    if (c == '\r') {
        int n = next_byte();
        if (n == '\n')
            return '\n';
        pending = n;
    }
    return c;
}

static int read_length(long *length)
{
    int c;
    *length = 0;
    while ((c = next_char()) >= '0' && c <= '9')
        *length = *length * 10 + (c - '0');
    return c == ' ' ? 0 : -1;
}


static unsigned char out[kPiece];
static size_t out_size;

static void put(const void *bytes, size_t size)
{
    if (out_size + size > sizeof out) {
        fwrite(out, 1, out_size, stdout);
        out_size = 0;
    }
    if (size > sizeof out) {
        fwrite(bytes, 1, size, stdout);
        return;
    }
    memcpy(out + out_size, bytes, size);
    out_size += size;
}

static const char *separator = "; ";
static size_t separator_size = 2;
static int written_any;

/* Each "@" gives the run from just after the "@" before it. */
static void end_run(const unsigned char *run, size_t run_size)
{
    size_t begin = 0;
    const unsigned char *at;
    while (begin < run_size && (at = memchr(run + begin, '@', run_size - begin))) {
        if (written_any)
            put(separator, separator_size);
        put(run + begin, run_size - begin);
        written_any = 1;
        begin = (size_t)(at - run) + 1;
    }
}

int main(int argc, char **argv)
{
    long length = 0;
    char delimiter[32] = "";
    if (argc != 2 || !(in = fopen(argv[1], "rb")))
        return 2;
    for (int record = 0; record < kRecordsBefore; ++record) {
        if (read_length(&length) != 0)
            return 1;
        for (long i = 0; i < length; ++i) {
            int c = next_char();
            if (c == EOF)
                return 1;
            if (record == kRecordsBefore - 1 && i < (long)sizeof delimiter - 1)
                delimiter[i] = (char)c;
        }
    }
    switch (atoi(delimiter)) {
    case 1: separator = ", "; break;
    case 2: separator = " "; break;
    case 3: separator = "\n"; break;
    default: separator = "; "; break;
    }
    separator_size = strlen(separator);
    if (read_length(&length) != 0)
        return 1;
    /* The receivers are the last record: scanned in place, piece by piece,
     * to the end of the file, counting the characters to check the length. A
     * run cut by the end of a piece is carried over into the next. */
    static unsigned char kind[256]; /* 1 separator, 2 "@", 3 not ASCII */
    kind[' '] = kind[','] = kind[';'] = kind['\t'] = kind['\n'] = 1;
    kind['@'] = 2;
    for (int c = 0x80; c < 0x100; ++c)
        kind[c] = 3;
    unsigned char *carry = malloc(4096);
    size_t carry_size = 0, carry_room = 4096;
    long characters = 0;
    int follow = 0; /* continuation bytes a UTF-8 sequence still needs */
    int valid = 1, run_has_at = 0, last_was_cr = 0;
    if (pending != EOF) /* the byte read ahead after a lone CR */
        --at;
    for (;;) {
        if (at == have) {
            have = fread(piece, 1, sizeof piece, in);
            at = 0;
            if (have == 0)
                break;
        }
        const unsigned char *p = piece + at, *end = piece + have;
        const unsigned char *run = p;
        characters += end - p;
        for (; p < end; ++p) {
            const unsigned char k = kind[*p];
            if (k == 0)
                continue;
            if (k == 2) {
                run_has_at = 1;
                continue;
            }
            if (k == 3) {
                const int c = *p;
                if (follow && (c & 0xc0) == 0x80)
                    --follow;
                else if (follow || (c & 0xc0) == 0x80 || c >= 0xf8)
                    valid = 0, follow = 0;
                else
                    follow = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
                continue;
            }
            /* A separator; a CR before a line feed belongs to its pair. */
            const unsigned char *run_end = p;
            if (*p == '\n' && (p > piece + at ? p[-1] == '\r' : last_was_cr)) {
                --characters;
                if (run_end > run)
                    --run_end;
                else if (carry_size > 0)
                    --carry_size;
            }
            if (run_has_at) {
                if (carry_size > 0) {
                    size_t size = (size_t)(run_end - run);
                    if (carry_size + size > carry_room && !(carry = realloc(carry, carry_room = 2 * (carry_size + size))))
                        return 1;
                    memcpy(carry + carry_size, run, size);
                    end_run(carry, carry_size + size);
                } else {
                    end_run(run, (size_t)(run_end - run));
                }
            }
            carry_size = 0;
            run_has_at = 0;
            run = p + 1;
        }
        last_was_cr = have > 0 && piece[have - 1] == '\r';
        size_t size = (size_t)(end - run);
        if (carry_size + size > carry_room && !(carry = realloc(carry, carry_room = 2 * (carry_size + size))))
            return 1;
        memcpy(carry + carry_size, run, size);
        carry_size += size;
        at = have;
    }
    if (run_has_at)
        end_run(carry, carry_size);
    if (characters != length)
        return 1;
    put("\n", 1);
    fwrite(out, 1, out_size, stdout);
    fclose(in);
    return valid && !follow && fflush(stdout) == 0 ? 0 : 1;
}
