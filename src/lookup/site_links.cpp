#include "lookup/site_links.h"

#include "app/app_state.h"
#include "build_settings.h"
#include "config/home_server.h"

// Every fixed host the program opens, in one place.
namespace host {
const char LetPub[] = "www.letpub.com.cn";
const char BaiduScholar[] = "xueshu.baidu.com";
const char CnkiSearch[] = "kns.cnki.net";
const char LibraryGenesis[] = "libgen.rs";
const char PubMed[] = "www.ncbi.nlm.nih.gov";
const char Booksc[] = "booksc.org";
const char ImpactFactors[] = "www.letpub.com.cn";
const char CoreJournals[] = "hxqk.lib.pku.edu.cn";
const char CnkiHome[] = "www.cnki.net";
const char GoogleTranslate[] = "translate.google.cn";
const char YoudaoTranslate[] = "fanyi.youdao.com";
const char SogouTranslate[] = "fanyi.sogou.com";
const char BaiduTranslate[] = "fanyi.baidu.com";
const char BingTranslator[] = "cn.bing.com";
const char TencentTranslate[] = "fanyi.qq.com";
const char Drugfuture[] = "www.drugfuture.com";
const char StandardsDownload[] = "www.bzxz.net";
const char NationalStandards[] = "openstd.samr.gov.cn";
const char Jiumo[] = "www.jiumodiary.com";
const char PdfConversion[] = "www.pdfdo.com:7078";
const char SciHubSite[] = "sci-hub.wf";
const char Muchong[] = "muchong.com";
const char ScienceNet[] = "www.sciencenet.cn";
}

static std::string web(const char* scheme, const char* hostName, const char* path)
{
    return std::string(scheme) + "://" + hostName + path;
}

std::string searchTarget(SearchKind kind, const std::string& text)
{
    switch (kind) {
    case ScholarSearch:
        return app.scholarBase + "/scholar?hl=zh-CN&as_sdt=0%2C5&q=" + text + "&btnG=";
    case JournalSearch:
        return web("http", host::LetPub, "/index.php?page=journalapp&view=search&searchname=") + text;
    case BaiduSearch:
        return web("http", host::BaiduScholar, "/s?wd=") + text
            + "&rsv_bp=0&tn=SE_baiduxueshu_c1gjeupa&rsv_spt=3&ie=utf-8&f=3&rsv_sug2=1"
              "&sc_f_para=sc_tasktype%3D%7BfirstSimpleSearch%7D&rsp=0";
    case CnkiSearch:
        return web("http", host::CnkiSearch,
                   "/kns/brief/brief.aspx?pagename=ASP.brief_default_result_aspx&isinEn=1"
                   "&dbPrefix=SCDB&dbCatalog=中国学术文献网络出版总库&ConfigFile=SCDBINDEX.xml"
                   "&research=off&t=1571054981956&keyValue=")
            + text + "&S=1&sorttype=";
    }
    return {};
}

// rows 3-6; rows 1-2 come from the configuration
static std::string fixedSiteTarget(int row, int column)
{
    switch (row * 10 + column) {
    case 31: return web("http", host::LibraryGenesis, "");
    case 32: return web("https", host::PubMed, "/pubmed");
    case 33: return web("https", host::Booksc, "");
    case 34: return web("http", host::ImpactFactors, "/index.php");
    case 35: return web("http", host::CoreJournals, "/");
    case 36: return web("https", host::CnkiHome, "");
    case 41: return web("https", host::GoogleTranslate, "/");
    case 42: return web("http", host::YoudaoTranslate, "/");
    case 43: return web("https", host::SogouTranslate, "/");
    case 44: return web("https", host::BaiduTranslate, "");
    case 45: return web("https", host::BingTranslator, "/translator/");
    case 46: return web("https", host::TencentTranslate, "/");
    case 51: return web("https", host::Drugfuture, "/cnpat/cn_patent.asp");
    case 52: return web("https", host::Drugfuture, "/eppat/patent.asp");
    case 53: return web("http", host::StandardsDownload, "");
    case 54: return web("http", host::NationalStandards, "/bzgk/gb/index");
    case 55: return web("https", host::Jiumo, "");
    case 56: return web("http", host::PdfConversion, "/web/");
    case 61: return web("http", QUIREVO_SISTER_A_HOST, "/");
    case 62: return web("http", QUIREVO_SISTER_B_HOST, "/");
    case 63: return homeUrl("/");
    case 64: return web("http", host::SciHubSite, "/");
    case 65: return web("http", host::Muchong, "/bbs/");
    case 66: return web("http", host::ScienceNet, "");
    }
    return {};
}

std::string siteTarget(int row, int column)
{
    if (column < 1 || column > 6)
        return {};
    if (row == 1)
        return app.rowOneUrls[column];
    if (row == 2)
        return app.rowTwoUrls[column];
    return fixedSiteTarget(row, column);
}

static void openSearch(SearchKind kind, WidgetHandle field)
{
    platform.openInBrowser(searchTarget(kind, platform.widgetText(field)));
}

void openScholarSearch() { openSearch(ScholarSearch, app.scholarInput); }
void openJournalLookup() { openSearch(JournalSearch, app.journalInput); }
void openBaiduSearch() { openSearch(BaiduSearch, app.baiduInput); }
void openCnkiSearch() { openSearch(CnkiSearch, app.cnkiInput); }

void openSiteLink(int row, int column)
{
    platform.openInBrowser(siteTarget(row, column));
}
