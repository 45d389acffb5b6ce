#include "web/cookies.h"

#include "text/text.h"

#include <vector>

namespace qm {
namespace {

constexpr std::string_view separator = "; ";

// Turns a closing ";" into a separator so that it leaves no piece behind.
LocalText prepareCookieText(const LocalText& text)
{
    const LocalText trimmed = trimSpaces(text);
    return rightText(trimmed, 1) == LocalText(";") ? concatText(trimmed, " ") : trimmed;
}

// Each piece followed by the separator, minus the last separator.
LocalText joinPieces(const std::vector<LocalText>& pieces, std::string_view between)
{
    LocalText result;
    for (const LocalText& piece : pieces)
        result = concatText(result, piece, between);
    return leftText(result, textLength(result) - static_cast<int>(between.size()));
}

} // namespace

LocalText collectSetCookies(const LocalText& responseHeaders)
{
    LocalText result;
    for (const LocalText& line : splitText(responseHeaders, "\r\n")) {
        if (compareText(textBefore(line, ": "), "Set-Cookie") != 0)
            continue;
        const LocalText value = findText(line, ";") != -1 ? trimSpaces(textBetween(line, "Set-Cookie:", ";"))
                                                          : trimSpaces(replaceText(line, "Set-Cookie:", {}, false));
        result = concatText(result, value, separator);
    }
    return leftText(result, textLength(result) - 2);
}

LocalText mergeCookies(LocalText& cookies, const LocalText& received)
{
    const TextArray own = splitText(prepareCookieText(cookies), LocalText(separator));
    const TextArray incoming = splitText(prepareCookieText(received), LocalText(separator));

    std::vector<LocalText> merged(incoming.begin(), incoming.end());
    for (const LocalText& piece : own) {
        const LocalText name = cookieName(piece);
        bool known = false;
        for (const LocalText& kept : merged)
            known = known || compareText(cookieName(kept), name) == 0;
        if (!known)
            merged.push_back(piece);
    }

    std::vector<LocalText> alive;
    for (const LocalText& piece : merged) {
        if (rightText(piece, 8) != LocalText("=deleted"))
            alive.push_back(piece);
    }
    cookies = dropDuplicateParts(joinPieces(alive, separator), LocalText(separator));
    return cookies;
}

LocalText cookieName(const LocalText& piece)
{
    const int equals = findText(piece, "=");
    return trimSpaces(equals == -1 ? piece : leftText(piece, equals - 1));
}

LocalText textBefore(const LocalText& text, const LocalText& marker)
{
    const int at = findText(text, marker, 1);
    return at == -1 ? LocalText() : leftText(text, at - 1);
}

LocalText dropDuplicateParts(const LocalText& text, const LocalText& separator)
{
    std::vector<LocalText> kept;
    for (const LocalText& piece : splitText(text, separator)) {
        bool seen = false;
        for (const LocalText& earlier : kept)
            seen = seen || compareText(earlier, piece) == 0;
        if (!seen)
            kept.push_back(piece);
    }
    return joinPieces(kept, separator.view());
}

} // namespace qm
