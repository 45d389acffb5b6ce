#include "hotlist/refresh.h"

#include "hotlist/extraction.h"
#include "hotlist/row_display.h"
#include "text/codepage.h"
#include "text/regex_object.h"
#include "text/text.h"
#include "web/web_request.h"

#include <ctime>

namespace qm {

DateTime lastRefreshTime = 0.0;

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr double unixEpochDays = 25569.0;
constexpr double secondsPerDay = 86400.0;

// Civil date to a day number (days since 1970-01-01), proleptic Gregorian.
long long daysFromCivil(long long year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

} // namespace

DateTime dateTimeFromUnix(long long unixSeconds)
{
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return 0.0;
    const long long days = daysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                         static_cast<unsigned>(local.tm_mday));
    const int secondOfDay = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return unixEpochDays + static_cast<double>(days) + secondOfDay / secondsPerDay;
}

DateTime currentDateTime()
{
    return dateTimeFromUnix(static_cast<long long>(std::time(nullptr)));
}

const std::string_view hotListHeaders =
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8,"
    "application/signed-exchange;v=b3\r\n"
    "User-Agent:Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/78.0.3904.108 Safari/537.36 QIHU 360SE";

LocalText hotListUrl(std::string_view host)
{
    return concatText("http://", host, "/top/summary?cate=realtimehot");
}

void refreshHotList(HotListView& view, const LocalText& url)
{
    RegexObject regex;
    view.clearListView();
    LocalText page;
    {
        const ByteSet body = webRequest(url, 0, {}, nullptr, nullptr, LocalText(hotListHeaders));
        page = utf8ToLocal(bytesToText(body));
    }
    const TextArray entries = extractHotEntries(regex, page);
    if (entries.count() == 0)
        return;
    showHotRows(view, entries);
    lastRefreshTime = currentDateTime();
}

} // namespace qm
