#include "web/header_block.h"

#include "text/text.h"

namespace qm {
namespace {

constexpr std::string_view lineBreak = "\r\n";

// Upper-cases the first byte of every "-"-separated word of a header name.
LocalText capitaliseName(const LocalText& name)
{
    LocalText result;
    const TextArray words = splitText(name, "-");
    for (int i = 1; i <= words.count(); ++i) {
        const LocalText& word = words.member(i);
        const LocalText capitalised = concatText(toUpperCase(leftText(word, 1)), midText(word, 2, textLength(word)));
        result = i == 1 ? capitalised : concatText(result, "-", capitalised);
    }
    return result;
}

} // namespace

LocalText normaliseHeaderNames(const LocalText& block)
{
    LocalText result;
    bool first = true;
    for (const LocalText& line : splitText(block, LocalText(lineBreak))) {
        const int colon = findText(line, ":");
        if (colon == -1)
            continue;
        const LocalText rewritten =
            concatText(capitaliseName(leftText(line, colon - 1)), midText(line, colon, textLength(line)));
        result = first ? rewritten : concatText(result, lineBreak, rewritten);
        first = false;
    }
    return result;
}

LocalText agentFromHeaders(const LocalText& block)
{
    if (findText(block, "User-Agent:", 0, true) == -1)
        return LocalText(defaultAgent);
    const LocalText agent = trimSpaces(textBetween(concatText(block, lineBreak), "User-Agent:", LocalText(lineBreak)));
    if (!agent.empty())
        return agent;
    // The name differs in letter case or the value is blank: read the value of that one line only.
    for (const LocalText& line : splitText(block, LocalText(lineBreak))) {
        const int colon = findText(line, ":");
        if (colon == -1 || toLowerCase(leftText(line, colon - 1)) != LocalText("user-agent"))
            continue;
        const LocalText value = trimSpaces(midText(line, colon + 1, textLength(line)));
        return value.empty() ? LocalText(defaultAgent) : value;
    }
    return LocalText(defaultAgent);
}

LocalText completeRequestHeaders(const LocalText& block, const LocalText& url, int method)
{
    LocalText result = block.empty() ? LocalText("Accept: */*") : block;
    if (findText(result, "Accept:", 0, true) == -1)
        result = concatText(result, "\r\nAccept: */*");
    if (findText(result, "Referer:", 0, true) == -1)
        result = concatText(result, "\r\nReferer: ", url);
    if (findText(result, "Accept-Language:", 0, true) == -1)
        result = concatText(result, "\r\nAccept-Language: zh-cn");
    if (method == 1 && findText(result, "Content-Type:", 0, true) == -1)
        result = concatText(result, "\r\nContent-Type: application/x-www-form-urlencoded");
    return result;
}

LocalText appendCookieHeader(const LocalText& block, const LocalText& cookies)
{
    if (cookies.empty())
        return block;
    if (findText(cookies, "Cookie:") != -1)
        return concatText(block, lineBreak, cookies);
    return concatText(block, "\r\nCookie: ", cookies);
}

} // namespace qm
