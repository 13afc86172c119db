// Each report, byte for byte, over the fixed findings and program folder of
// support/report_findings.h: the layouts, the escaping of hostile texts, the
// file section with dates and versions, and the saved line ends.
#include <gtest/gtest.h>

#include <string>

#include "base/codepage.h"
#include "support/report_findings.h"
#include "support/temp_dir.h"

namespace vx {
namespace {

using namespace std::string_literals;

// The expected texts below are written with "\n"; a saved report ends every
// line with CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

class ReportLayoutTest : public ::testing::Test {
 protected:
  std::string Saved(int format) const { return scene_.Saved(format); }

  testing::TReportScene scene_;
  TMyScanResultsList& list_ = scene_.list;
};

struct TLayoutCase {
  const char* name;
  int format;
  std::string expected;
};

TEST_F(ReportLayoutTest, EachReportByteForByte) {
  testing::AddReportFindings(&list_);
  const TLayoutCase cases[] = {
      {"text", 1,
      R"R(Search Helper Bar: [QRI $123] Toolbar registration (Registry key, nothing done)
  HKEY_LOCAL_MACHINE\SOFTWARE\SearchHelper\

Search Helper Bar: [QRI $124] Starts with Windows (Registry value, nothing done)
  HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\SearchHelper

Search Helper Bar: Loads its library (Registry value, nothing done)
  HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\AppInit_DLLs=...shbar.dll...

Home Page Hijacker: Start page changed (Registry change, fixed)
  HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main\Start Page

Search Helper Bar:  Toolbar library (File, fixed)
  C:\Program Files\SearchHelper\shbar.dll

Search Helper Bar: Program folder (Directory, fixing failed)
  C:\Program Files\SearchHelper\

Hosts Hijack: Redirected host (Redirected host, nothing done)
  search.example.com=203.0.113.7

Ad Server Cookie: Tracking cookie (Cookie, nothing done)
  

Internet Explorer: Visited pages  (12 entries) (History, nothing done)
  

Hint of the Day: Click the bar at the right of this to see more information! ()
  

Congratulations!: No immediate threats were found. ()
  

<script>alert("x")</script> & Co's: [QRI $9<9>] Says "hi" & <b>bye</b>
second line (Registry value, nothing done)
  HKEY_CURRENT_USER\Software\Caf)R"
      "\xE9"
      R"R( )R"
      "\x80\x81\x8D\x8F\x90\x9D"
      R"R(\Run)R"
      "\x01\x1B"
      R"R([2J)R"
      "\x7F\t"
      R"R(end)R"
      "\x00"
      R"R(!


--- Quarnel version: 1.5  CLE (build: 20080525) ---

2008-05-25 vexascan.exe (1.5.0.27)
2008-05-21 kitlib.dll
2008-05-20 probex.dll
2008-03-01 Includes\Caf)R"
      "\xE9"
      R"R( & <b>.qri
2008-02-29 Includes\Spyware.qri
2008-01-01 Includes\Tracks.uti
2000-01-01 Plugins\extra.dll

)R"s},
      {"HTML", 2,
      R"R(<!doctype html public "-//W3C//DTD HTML 4.01 Transitional//EN">
<html><head>
<title>Search results from Quarnel</title>
<meta name="author" content="Orvane Limited">
<meta name="generator" content="Quarnel">
<style type="text/css">
th
{ background-color:#2090CC;
  color:#F4F4F4;
}
table
{ background-color:#E0F4FF;
  color:#000000;
  border:thin solid;
  border-color: #2090CC;
}
td.c1
{ background-color:#E0F4FF;
  color:#000000;
}
td.c2
{ background-color:#F0FFFF;
  color:#000000;
}
h1
{ text-align: center;
}
h2
{ text-align: center;
}
-->
</style>
</head>
<body text="#000000" bgcolor="#F0FFFF" link="#FF0000" alink="#FF0000" vlink="#FF0000">
<h1>Search results from Quarnel</h1>
<h2>25.05.2008 14:30:05</h2><table width="100%" border="0" cellspacing="0" cellpadding="2">
<tr>
  <th>Product / Description</th>
  <th align="right">Type / Action</th>
</tr>
<tr>
  <td class="c1" align="left"><b>Search Helper Bar:</b> [QRI $123] Toolbar registration</td>
  <td class="c1" align="right"><i>Registry key</i></td>
</tr>
<tr>
  <td class="c1" align="left">HKEY_LOCAL_MACHINE\SOFTWARE\SearchHelper\</td>
  <td class="c1" align="right">nothing done</td>
</tr>
<tr>
  <td class="c2" align="left"><b>Search Helper Bar:</b> [QRI $124] Starts with Windows</td>
  <td class="c2" align="right"><i>Registry value</i></td>
</tr>
<tr>
  <td class="c2" align="left">HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\SearchHelper</td>
  <td class="c2" align="right">nothing done</td>
</tr>
<tr>
  <td class="c1" align="left"><b>Search Helper Bar:</b> Loads its library</td>
  <td class="c1" align="right"><i>Registry value</i></td>
</tr>
<tr>
  <td class="c1" align="left">HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\AppInit_DLLs=...shbar.dll...</td>
  <td class="c1" align="right">nothing done</td>
</tr>
<tr>
  <td class="c2" align="left"><b>Home Page Hijacker:</b> Start page changed</td>
  <td class="c2" align="right"><i>Registry change</i></td>
</tr>
<tr>
  <td class="c2" align="left">HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main\Start Page</td>
  <td class="c2" align="right">fixed</td>
</tr>
<tr>
  <td class="c1" align="left"><b>Search Helper Bar:</b>  Toolbar library</td>
  <td class="c1" align="right"><i>File</i></td>
</tr>
<tr>
  <td class="c1" align="left">C:\Program Files\SearchHelper\shbar.dll</td>
  <td class="c1" align="right">fixed</td>
</tr>
<tr>
  <td class="c2" align="left"><b>Search Helper Bar:</b> Program folder</td>
  <td class="c2" align="right"><i>Directory</i></td>
</tr>
<tr>
  <td class="c2" align="left">C:\Program Files\SearchHelper\</td>
  <td class="c2" align="right">fixing failed</td>
</tr>
<tr>
  <td class="c1" align="left"><b>Hosts Hijack:</b> Redirected host</td>
  <td class="c1" align="right"><i>Redirected host</i></td>
</tr>
<tr>
  <td class="c1" align="left">search.example.com=203.0.113.7</td>
  <td class="c1" align="right">nothing done</td>
</tr>
<tr>
  <td class="c2" align="left"><b>Ad Server Cookie:</b> Tracking cookie</td>
  <td class="c2" align="right"><i>Cookie</i></td>
</tr>
<tr>
  <td class="c2" align="left"></td>
  <td class="c2" align="right">nothing done</td>
</tr>
<tr>
  <td class="c1" align="left"><b>Internet Explorer:</b> Visited pages  (12 entries)</td>
  <td class="c1" align="right"><i>History</i></td>
</tr>
<tr>
  <td class="c1" align="left"></td>
  <td class="c1" align="right">nothing done</td>
</tr>
<tr>
  <td class="c2" align="left"><b>Hint of the Day:</b> Click the bar at the right of this to see more information!</td>
  <td class="c2" align="right"><i></i></td>
</tr>
<tr>
  <td class="c2" align="left"></td>
  <td class="c2" align="right"></td>
</tr>
<tr>
  <td class="c1" align="left"><b>Congratulations!:</b> No immediate threats were found.</td>
  <td class="c1" align="right"><i></i></td>
</tr>
<tr>
  <td class="c1" align="left"></td>
  <td class="c1" align="right"></td>
</tr>
<tr>
  <td class="c2" align="left"><b>&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; Co's:</b> [QRI $9&lt;9&gt;] Says &quot;hi&quot; &amp; &lt;b&gt;bye&lt;/b&gt;
second line</td>
  <td class="c2" align="right"><i>Registry value</i></td>
</tr>
<tr>
  <td class="c2" align="left">HKEY_CURRENT_USER\Software\Caf&#233; &#8364;\x81\x8D\x8F\x90\x9D\Run\x01\x1B[2J\x7F)R"
      "\t"
      R"R(end\x00!</td>
  <td class="c2" align="right">nothing done</td>
</tr>
</table><hr />
<table border="0" cellspacing="0" cellpadding="2">
<tr>
  <th>File</th>
  <th>Date</th>
  <th>Version</th>
</tr>
<tr>
  <td class="c1" align="left">vexascan.exe</td>
  <td class="c1" align="right">2008-05-25</td>
  <td class="c1" align="left">1.5.0.27</td>
</tr>
<tr>
  <td class="c1" align="left">kitlib.dll</td>
  <td class="c1" align="right">2008-05-21</td>
  <td class="c1" align="left"></td>
</tr>
<tr>
  <td class="c2" align="left">probex.dll</td>
  <td class="c2" align="right">2008-05-20</td>
  <td class="c2" align="left"></td>
</tr>
<tr>
  <td class="c1" align="left">Includes\Caf&#233; &amp; &lt;b&gt;.qri</td>
  <td class="c1" align="right">2008-03-01</td>
  <td class="c1" align="left"></td>
</tr>
<tr>
  <td class="c2" align="left">Includes\Spyware.qri</td>
  <td class="c2" align="right">2008-02-29</td>
  <td class="c2" align="left"></td>
</tr>
<tr>
  <td class="c1" align="left">Includes\Tracks.uti</td>
  <td class="c1" align="right">2008-01-01</td>
  <td class="c1" align="left"></td>
</tr>
<tr>
  <td class="c1" align="left">Plugins\extra.dll</td>
  <td class="c1" align="right">2000-01-01</td>
  <td class="c1" align="left"></td>
</tr>

</table><hr />
</body>
</html>
)R"s},
      {"XML", 3,
      R"R(<?xml version="1.0" encoding="windows-1252"?><xml_quarnel_results date="25.05.2008 14:30:05" linuxdate="951677890" duration="00:01:01.500">
<result class="4" index="0">
  <product>Search Helper Bar</product>
  <description>[QRI $123] Toolbar registration</description>
  <fixtype int="3">Registry key</fixtype>
  <location>HKEY_LOCAL_MACHINE\SOFTWARE\SearchHelper\</location>
  <status  done="FALSE" error="FALSE">nothing done</status>
  <ruleid>123</ruleid>
</result>
<result class="4" index="1">
  <product>Search Helper Bar</product>
  <description>[QRI $124] Starts with Windows</description>
  <fixtype int="2">Registry value</fixtype>
  <location>HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run\SearchHelper</location>
  <status  done="FALSE" error="FALSE">nothing done</status>
  <ruleid>124</ruleid>
</result>
<result class="4" index="2">
  <product>Search Helper Bar</product>
  <description>Loads its library</description>
  <fixtype int="2">Registry value</fixtype>
  <location>HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Windows\AppInit_DLLs=...shbar.dll...</location>
  <status  done="FALSE" error="FALSE">nothing done</status>
</result>
<result class="4" index="3">
  <product>Home Page Hijacker</product>
  <description>Start page changed</description>
  <fixtype int="4">Registry change</fixtype>
  <location>HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Main\Start Page</location>
  <status  done="TRUE" error="FALSE">fixed</status>
</result>
<result class="4" index="4">
  <product>Search Helper Bar</product>
  <description> Toolbar library</description>
  <fixtype int="6">File</fixtype>
  <location>C:\Program Files\SearchHelper\shbar.dll</location>
  <status  done="TRUE" error="FALSE">fixed</status>
</result>
<result class="4" index="5">
  <product>Search Helper Bar</product>
  <description>Program folder</description>
  <fixtype int="7">Directory</fixtype>
  <location>C:\Program Files\SearchHelper\</location>
  <status  done="FALSE" error="TRUE">fixing failed</status>
</result>
<result class="4" index="6">
  <product>Hosts Hijack</product>
  <description>Redirected host</description>
  <fixtype int="13">Redirected host</fixtype>
  <location>search.example.com=203.0.113.7</location>
  <status  done="FALSE" error="FALSE">nothing done</status>
</result>
<result class="4" index="7">
  <product>Ad Server Cookie</product>
  <description>Tracking cookie</description>
  <fixtype int="16">Cookie</fixtype>
  <location></location>
  <status  done="FALSE" error="FALSE">nothing done</status>
</result>
<result class="5" index="8">
  <product>Internet Explorer</product>
  <description>Visited pages  (12 entries)</description>
  <fixtype int="22">History</fixtype>
  <location></location>
  <status  done="FALSE" error="FALSE">nothing done</status>
</result>
<result class="1" index="9">
  <product>Hint of the Day</product>
  <description>Click the bar at the right of this to see more information!</description>
  <fixtype int="1"></fixtype>
  <location></location>
  <status  done="FALSE" error="FALSE" status="TRUE"></status>
</result>
<result class="1" index="10">
  <product>Congratulations!</product>
  <description>No immediate threats were found.</description>
  <fixtype int="1"></fixtype>
  <location></location>
  <status  done="TRUE" error="FALSE"></status>
</result>
<result class="4" index="11">
  <product>&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; Co's</product>
  <description>[QRI $9&lt;9&gt;] Says &quot;hi&quot; &amp; &lt;b&gt;bye&lt;/b&gt;
second line</description>
  <fixtype int="2">Registry value</fixtype>
  <location>HKEY_CURRENT_USER\Software\Caf)R"
      "\xE9"
      R"R( )R"
      "\x80"
      R"R(\x81\x8D\x8F\x90\x9D\Run\x01\x1B[2J\x7F)R"
      "\t"
      R"R(end\x00!</location>
  <status  done="FALSE" error="FALSE">nothing done</status>
  <ruleid>9&lt;9&gt;</ruleid>
</result>
<update_file>
  <location>vexascan.exe</location>
  <age linuxdate="951668736">2008-05-25</age>
  <version>1.5.0.27</version>
</update_file>
<update_file>
  <location>kitlib.dll</location>
  <age linuxdate="951410688">2008-05-21</age>
</update_file>
<update_file>
  <location>probex.dll</location>
  <age linuxdate="951336960">2008-05-20</age>
</update_file>
<update_file>
  <location>Includes\Caf)R"
      "\xE9"
      R"R( &amp; &lt;b&gt;.qri</location>
  <age linuxdate="945881088">2008-03-01</age>
</update_file>
<update_file>
  <location>Includes\Spyware.qri</location>
  <age linuxdate="945667965">2008-02-29</age>
</update_file>
<update_file>
  <location>Includes\Tracks.uti</location>
  <age linuxdate="941686784">2008-01-01</age>
</update_file>
<update_file>
  <location>Plugins\extra.dll</location>
  <age linuxdate="673251328">2000-01-01</age>
</update_file>

</xml_quarnel_results>
)R"s},
  };
  for (const TLayoutCase& c : cases) {
    EXPECT_EQ(Saved(c.format), WithCrLf(c.expected)) << c.name;
  }
}

TEST_F(ReportLayoutTest, AnXmlReportWithoutFindingsOrProgramFiles) {
  testing::TTempDir empty;
  list_.ExportParameters.ProgramPath = empty.Dir();
  EXPECT_EQ(Saved(3),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><xml_quarnel_results "
            "date=\"25.05.2008 14:30:05\" linuxdate=\"951677890\" duration=\"00:01:01.500\">\r\n"
            "\r\n"
            "</xml_quarnel_results>\r\n");
}

// On an image with another ANSI code page the names keep their characters:
// the XML report declares Windows-1252, so they go in as references.
TEST_F(ReportLayoutTest, TextsOfAnotherCodePageBecomeReferences) {
  const int before = AnsiCodePage();
  SetAnsiCodePage(1251);
  TMyScanResult* r = list_.AddResult();
  r->MainType = mtQuarnel;
  r->FixType = ftFile;
  r->Product = "\xC4\xE0";  // Cyrillic De, a
  r->Path = "C:\\\xCF\\";
  r->Filename = "x.exe";
  const std::string html = Saved(2), xml = Saved(3);
  SetAnsiCodePage(before);
  EXPECT_NE(html.find("<b>&#1044;&#1072;:</b>"), std::string::npos);
  EXPECT_NE(html.find(">C:\\&#1055;\\x.exe</td>"), std::string::npos);
  EXPECT_NE(xml.find("<product>&#1044;&#1072;</product>"), std::string::npos);
  EXPECT_NE(xml.find("<location>C:\\&#1055;\\x.exe</location>"), std::string::npos);
}

}  // namespace
}  // namespace vx
