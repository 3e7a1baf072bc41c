#include <gtest/gtest.h>

#include "app/app_state.h"
#include "lookup/site_links.h"
#include "test_support.h"

namespace {

const char ArticleHint[] = "请输入您要检索的文献...";
const char JournalHint[] = "请输入您要检索的期刊...";

TEST(SearchTargets, TextGoesInAsTyped)
{
    resetAppState();
    app.scholarBase = "https://scholar.mirror";
    const std::string baiduTail =
        "&rsv_bp=0&tn=SE_baiduxueshu_c1gjeupa&rsv_spt=3&ie=utf-8&f=3&rsv_sug2=1"
        "&sc_f_para=sc_tasktype%3D%7BfirstSimpleSearch%7D&rsp=0";
    const std::string cnkiHead =
        "http://kns.cnki.net/kns/brief/brief.aspx?pagename=ASP.brief_default_result_aspx"
        "&isinEn=1&dbPrefix=SCDB&dbCatalog=中国学术文献网络出版总库&ConfigFile=SCDBINDEX.xml"
        "&research=off&t=1571054981956&keyValue=";
    struct Case {
        SearchKind kind;
        std::string text;
        std::string target;
    } cases[] = {
        {ScholarSearch, "a&b#c", "https://scholar.mirror/scholar?hl=zh-CN&as_sdt=0%2C5&q=a&b#c&btnG="},
        {ScholarSearch, ArticleHint, std::string("https://scholar.mirror/scholar?hl=zh-CN&as_sdt=0%2C5&q=") + ArticleHint + "&btnG="},
        {JournalSearch, "100% + x", "http://www.letpub.com.cn/index.php?page=journalapp&view=search&searchname=100% + x"},
        {JournalSearch, JournalHint, std::string("http://www.letpub.com.cn/index.php?page=journalapp&view=search&searchname=") + JournalHint},
        {BaiduSearch, " 石墨烯 ", "http://xueshu.baidu.com/s?wd= 石墨烯 " + baiduTail},
        {CnkiSearch, "量子", cnkiHead + "量子&S=1&sorttype="},
        {CnkiSearch, "", cnkiHead + "&S=1&sorttype="},
    };
    for (const Case& c : cases)
        EXPECT_EQ(searchTarget(c.kind, c.text), c.target) << c.text;

    app.scholarBase = "";
    EXPECT_EQ(searchTarget(ScholarSearch, "x"), "/scholar?hl=zh-CN&as_sdt=0%2C5&q=x&btnG=");
    app.scholarBase = "http://g/";
    EXPECT_EQ(searchTarget(ScholarSearch, "x"), "http://g//scholar?hl=zh-CN&as_sdt=0%2C5&q=x&btnG=");
}

TEST(SiteTargets, AllThirtySix)
{
    resetAppState();
    for (int c = 1; c <= 6; c++) {
        app.rowOneUrls[c] = "http://one/" + std::to_string(c);
        app.rowTwoUrls[c] = c == 3 ? "" : "ftp://two/" + std::to_string(c);   // unaltered, even when odd
    }
    const char* const expected[6][6] = {
        {"http://one/1", "http://one/2", "http://one/3", "http://one/4", "http://one/5", "http://one/6"},
        {"ftp://two/1", "ftp://two/2", "", "ftp://two/4", "ftp://two/5", "ftp://two/6"},
        {"http://libgen.rs", "https://www.ncbi.nlm.nih.gov/pubmed", "https://booksc.org",
         "http://www.letpub.com.cn/index.php", "http://hxqk.lib.pku.edu.cn/", "https://www.cnki.net"},
        {"https://translate.google.cn/", "http://fanyi.youdao.com/", "https://fanyi.sogou.com/",
         "https://fanyi.baidu.com", "https://cn.bing.com/translator/", "https://fanyi.qq.com/"},
        {"https://www.drugfuture.com/cnpat/cn_patent.asp", "https://www.drugfuture.com/eppat/patent.asp",
         "http://www.bzxz.net", "http://openstd.samr.gov.cn/bzgk/gb/index", "https://www.jiumodiary.com",
         "http://www.pdfdo.com:7078/web/"},
        {"http://tavrel.example.com/", "http://ossik.example.com/", "http://127.0.0.1:18642/",
         "http://sci-hub.wf/", "http://muchong.com/bbs/", "http://www.sciencenet.cn"},
    };
    for (int r = 1; r <= 6; r++)
        for (int c = 1; c <= 6; c++)
            EXPECT_EQ(siteTarget(r, c), expected[r - 1][c - 1]) << "row " << r << " column " << c;
}

// Through the real opener and the recording xdg-open on PATH: only web
// addresses are launched, each as exactly one argument, byte for byte the
// UTF-8 form of the GBK target, and nothing else runs.
TEST(Opener, LaunchesOnlyWebAddressesAsOneUtf8Argument)
{
    const std::string longUrl = "https://x/?" + std::string(100 * 1024, 'q');
    const std::string cnki = searchTarget(CnkiSearch, "石墨烯");
    const std::string cnkiUtf8 =
        "http://kns.cnki.net/kns/brief/brief.aspx?pagename=ASP.brief_default_result_aspx&isinEn=1"
        "&dbPrefix=SCDB&dbCatalog=" + std::string(reinterpret_cast<const char*>(u8"中国学术文献网络出版总库"))
        + "&ConfigFile=SCDBINDEX.xml&research=off&t=1571054981956&keyValue="
        + reinterpret_cast<const char*>(u8"石墨烯") + "&S=1&sorttype=";
    const std::string shell = "http://a/?q=;$(touch /tmp/quirevo-pwned);`touch /tmp/quirevo-pwned`'\"\nline";
    struct Case {
        std::string target;
        std::string launched;   // empty: must not be launched
    } cases[] = {
        {"file:///etc/passwd", ""}, {"javascript:alert(1)", ""}, {"data:text/html,<b>x</b>", ""},
        {"smb://host/share", ""}, {"\\\\host\\share", ""}, {"-x", ""}, {"--new-window", ""},
        {"", ""}, {"https:", ""}, {"ftp://two/1", ""}, {" http://leading-blank/", ""},
        {shell, shell}, {cnki, cnkiUtf8}, {longUrl, longUrl}, {"HTTPS://upper.case/", "HTTPS://upper.case/"},
    };
    resetOpenerLog();
    std::vector<std::string> want;
    for (const Case& c : cases) {
        osOpenInBrowser(c.target);
        if (!c.launched.empty())
            want.push_back(c.launched);
    }
    auto calls = openerCalls(want.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    calls = openerCalls();
    // the opener is asynchronous, so the order of arrival is not fixed
    std::vector<std::string> got;
    for (auto& call : calls) {
        EXPECT_EQ(call.size(), 1u);
        got.insert(got.end(), call.begin(), call.end());
    }
    std::sort(got.begin(), got.end());
    std::sort(want.begin(), want.end());
    EXPECT_EQ(got, want);
    EXPECT_NE(access("/tmp/quirevo-pwned", F_OK), 0);
}

TEST(GbkBoundary, ConvertsWithoutLoss)
{
    struct Case {
        std::string gbk;
        std::string utf8;
    } cases[] = {
        {"错误", reinterpret_cast<const char*>(u8"错误")},
        {"ASCII stays", "ASCII stays"},
        {"\xA1\xA3", "\xE3\x80\x82"},                 // 。
        {"\x81\x30\x85\x38", "\xC2\xB5"},              // the micro sign: four bytes in GB18030
        {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},             // no GBK: marked, and the rest goes on
        {"c\xFB", "c\xEF\xBF\xBD"},                     // a lead byte with nothing after it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
        if (c.utf8.find("\xEF\xBF\xBD") == std::string::npos)
            EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    }
}

}
