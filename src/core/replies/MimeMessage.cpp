#include "core/replies/MimeMessage.h"

#include "core/replies/HeaderValues.h"

namespace {

constexpr std::size_t kMostParts = 10000;
// Real headers hold a few dozen; more is junk we need not keep.
constexpr std::size_t kMostFields = 1000;
constexpr std::size_t kMostParameters = 100;
// RFC 2046 allows 70; anything much longer is not a boundary we can trust.
constexpr std::size_t kLongestBoundary = 200;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The line at pos without its line end (LF or CR LF); pos moves past it.
std::string_view NextLine(std::string_view text, std::size_t& pos)
{
    const std::size_t end = text.find('\n', pos);
    std::string_view line =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

bool IsFieldName(std::string_view name)
{
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7f)
            return false;
    }
    return !name.empty();
}

bool OnlyBlanks(std::string_view text)
{
    for (const char c : text)
        if (!IsBlank(c) && c != '\r')
            return false;
    return true;
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

HeaderFields ReadFields(std::string_view& text)
{
    HeaderFields fields;
    bool open = false;  // whether the last line began a field that may go on
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::string_view line = NextLine(text, pos);
        if (OnlyBlanks(line))
            break;
        if (IsBlank(line.front())) {
            if (open)
                fields.back().value.append(line);
            continue;
        }
        open = false;
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        std::string_view name = line.substr(0, colon);
        while (!name.empty() && IsBlank(name.back()))
            name.remove_suffix(1);
        // An mbox "From " line, or damage: not a field.
        if (!IsFieldName(name) || fields.size() >= kMostFields)
            continue;
        fields.push_back({LowerAscii(name), std::string(line.substr(colon + 1))});
        open = true;
    }
    text.remove_prefix(pos);
    for (HeaderField& field : fields)
        field.value = std::string(Trimmed(field.value));
    return fields;
}

MimeEntity ReadEntity(std::string_view text)
{
    MimeEntity entity;
    entity.fields = ReadFields(text);
    entity.body = text;
    return entity;
}

const std::string* FindField(const HeaderFields& fields, std::string_view name)
{
    for (const HeaderField& field : fields)
        if (field.name == name)
            return &field.value;
    return nullptr;
}

std::string ContentType::Parameter(std::string_view name) const
{
    const std::string* value = FindField(parameters, name);
    return value ? *value : std::string();
}

ContentType ReadContentType(const HeaderFields& fields)
{
    ContentType result;
    const std::string* field = FindField(fields, "content-type");
    const std::string text = field ? WithoutComments(*field) : std::string();
    std::size_t pos = text.find(';');
    for (const char c : std::string_view(text).substr(0, pos))
        if (!IsBlank(c))
            result.type += c;
    result.type = LowerAscii(result.type);
    if (result.type.find('/') == std::string::npos)
        result.type = "text/plain";
    while (pos < text.size() && result.parameters.size() < kMostParameters) {
        const std::size_t equals = text.find_first_of("=;", pos + 1);
        if (equals == std::string::npos)
            break;
        if (text[equals] == ';') {
            pos = equals;
            continue;
        }
        HeaderField parameter{LowerAscii(Trimmed(std::string_view(text).substr(pos + 1, equals - pos - 1))),
                              {}};
        pos = equals + 1;
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] == '"') {
            for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
                if (text[pos] == '\\' && pos + 1 < text.size())
                    ++pos;
                parameter.value += text[pos];
            }
            pos = text.find(';', pos);
        } else {
            const std::size_t end = text.find(';', pos);
            parameter.value = std::string(Trimmed(std::string_view(text).substr(pos, end - pos)));
            pos = end;
        }
        result.parameters.push_back(std::move(parameter));
    }
    return result;
}

std::vector<std::string_view> SplitMultipart(std::string_view body, std::string_view boundary)
{
    std::vector<std::string_view> parts;
    if (boundary.empty() || boundary.size() > kLongestBoundary)
        return parts;
    std::size_t partStart = std::string_view::npos;
    for (std::size_t pos = 0; pos < body.size();) {
        const std::size_t lineStart = pos;
        const std::string_view line = NextLine(body, pos);
        if (line.size() < boundary.size() + 2 || line[0] != '-' || line[1] != '-' ||
            line.compare(2, boundary.size(), boundary) != 0)
            continue;
        std::string_view after = line.substr(boundary.size() + 2);
        const bool closing = after.size() >= 2 && after[0] == '-' && after[1] == '-';
        if (closing)
            after.remove_prefix(2);
        if (!OnlyBlanks(after))
            continue;
        if (partStart != std::string_view::npos) {
            // The line end before a boundary line belongs to the boundary.
            std::size_t end = lineStart;
            if (end > partStart && body[end - 1] == '\n')
                --end;
            if (end > partStart && body[end - 1] == '\r')
                --end;
            parts.push_back(body.substr(partStart, end - partStart));
        }
        if (closing || parts.size() >= kMostParts)
            return parts;
        partStart = pos;
    }
    if (partStart != std::string_view::npos)
        parts.push_back(body.substr(partStart));
    return parts;
}

// Bytes outside the alphabet (line ends, blanks, damage) are passed over.
std::string DecodeBase64(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const int value = Base64Value(c);
        if (value < 0)
            continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xff);
        }
    }
    return bytes;
}

std::string DecodeQuotedPrintable(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            bytes += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\n') {
            i += 1;
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += '=';
        }
    }
    return bytes;
}

std::string_view DecodedBody(const MimeEntity& entity, std::string& storage)
{
    const std::string* field = FindField(entity.fields, "content-transfer-encoding");
    const std::string encoding = field ? LowerAscii(FirstWord(WithoutComments(*field))) : std::string();
    if (encoding == "base64") {
        storage = DecodeBase64(entity.body);
        return storage;
    }
    if (encoding == "quoted-printable") {
        storage = DecodeQuotedPrintable(entity.body);
        return storage;
    }
    return entity.body;
}
