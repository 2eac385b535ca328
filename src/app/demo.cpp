#include "app/demo.h"

#include <stdexcept>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>
#include <ostream>

#include "data/master_layouts.h"
#include "data/schemas.h"
#include "rdd/area.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

namespace app {

using xbase::Value;
namespace fs = std::filesystem;

namespace {

// A table of the master layouts filled with rows of texts (UTF-8) by field name.
void writeTable(rdd::Areas& areas, const std::string& path, const std::string& layout,
                const std::vector<std::map<std::string, std::string>>& rows,
                const std::vector<std::map<std::string, double>>& numbers = {}) {
  const data::MasterLayout* m = data::masterLayout(layout);
  if (!m) throw std::runtime_error("demo: no layout for " + layout);
  rdd::Area* a = areas.create(path, m->fields, "DEMO");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    a->append();
    for (auto& [field, value] : rows[i]) {
      int f = a->fieldIndex(field);
      if (f < 0) continue;
      if (a->table().fields()[std::size_t(f)].type == 'D')
        a->putField(f, Value::dateValue(xbase::encodeDate(std::stoi(value.substr(6, 4)), std::stoi(value.substr(3, 2)),
                                                          std::stoi(value.substr(0, 2)))));  // dd/mm/yyyy
      else
        a->putField(f, Value::chr(xbase::fromUtf8(value)));
    }
    if (i < numbers.size())
      for (auto& [field, value] : numbers[i]) {
        int f = a->fieldIndex(field);
        if (f >= 0) a->putField(f, Value::num(value, 2));
      }
  }
  areas.close(a->number());
}

struct ListColumn {
  const char* heading;
  const char* expr;
  double at;     // inches
  char align;    // R: starts at, L: ends at
};

// A code-list template: company head, report name, range, print date and
// page, headings, details, ruled grid, item count.
std::string codeListTemplate(const std::vector<ListColumn>& cols) {
  auto num = [](double inches) {
    char b[8];
    std::snprintf(b, sizeof b, "%05d", int(inches * 100 + 0.5));
    return std::string(b);
  };
  std::string t;
  t += "* code list: head, headings, details, grid, count\n";
  t += "H LF SAYC2 " + num(3.88) + " CHLINE\n";
  t += "H LF SAYC1 " + num(3.88) + " CHADDR1+\" \"+CHADDR2\n";
  t += "H LF SAYC3 " + num(3.88) + " CREPNAME\n";
  t += "H LF SAYR1 " + num(0.1) + " \"รหัสตั้งแต่ \"+TRIM(CCODBEG)+\" ถึง \"+TRIM(CCODEND)\n";
  t += "H NF SAYL1 " + num(7.75) + " \"วันที่พิมพ์ \"+DTOC(DATE())+\"   หน้า \"+ALLTRIM(STR(NPAGE))\n";
  t += "H LI LINE2 " + num(0.1) + " " + num(7.75) + "\n";
  t += "H NH\n";
  t += "H LF SAYR1 " + num(0.1) + " REPLINE(0)\n";
  bool first = true;
  for (const ListColumn& c : cols) {
    t += std::string("H ") + (first ? "LF" : "NF") + (c.align == 'R' ? " SAYR2 " : " SAYL2 ") + num(c.at) + " \"" +
         c.heading + "\"\n";
    first = false;
  }
  t += "H LI LINE1 " + num(0.1) + " " + num(7.75) + "\n";
  first = true;
  for (const ListColumn& c : cols) {
    t += std::string("D ") + (first ? "LF" : "NF") + (c.align == 'R' ? " SAYR1 " : " SAYL1 ") + num(c.at) + " " +
         c.expr + "\n";
    first = false;
  }
  t += "F LH LINE1 " + num(0.1) + " " + num(7.75) + "\n";
  t += "F LV LINE1 " + num(0.1) + "\nF LV LINE1 " + num(7.75) + "\n";
  t += "T LH LINE1 " + num(0.1) + " " + num(7.75) + "\n";
  t += "T LV LINE1 " + num(0.1) + "\nT LV LINE1 " + num(7.75) + "\n";
  t += "T LF SAYR2 " + num(0.2) + " \"รวม \"+ALLTRIM(STR(NITEM))+\" รายการ\"\n";
  t += "T LH LINE2 " + num(0.1) + " " + num(7.75) + "\n";
  return t;
}

}  // namespace

// The stock movement: product heads, movements with running balances, sums per product.
// The date range of the conditions, as a template expression.
const std::string kPeriod = "\"วันที่ \"+DTOC(CDAYBEG)+\" ถึง \"+DTOC(CDAYEND)";

// The head of every report page: company, report name, the conditions on
// the left and the print date with the page number on the right, ruled off.
std::string pageHead(const std::string& conditions) {
  return "H LF SAYC2 00388 CHLINE\n"
         "H LF SAYC3 00388 CREPNAME\n"
         "H LF SAYR1 00010 " + conditions + "\n"
         "H NF SAYL1 00775 \"วันที่พิมพ์ \"+DTOC(DATE())+\"   หน้า \"+ALLTRIM(STR(NPAGE))\n"
         "H LI LINE2 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n";
}

// Stock movement: a heading per product (and unit, warehouse or group as
// the variant prints them), movements with running balances, sums. `a` is
// the work table's alias: "detail" in the stock-movement engine, "RepData"
// in the generic one, which takes its group key from the template.
std::string stockMovementTemplate(const std::string& a, const std::string& heading, const std::string& directives = "") {
  auto sub = [&](std::string line) {
    for (std::size_t at; (at = line.find("$")) != std::string::npos;) line.replace(at, 1, a);
    return line;
  };
  return "* stock movement\n" + directives +
         pageHead(kPeriod + "+\"   สินค้า \"+TRIM(CCODBEG)+\" ถึง \"+TRIM(CCODEND)") +
         "H LF SAYR2 00020 \"วันที่\"\n"
         "H NF SAYR2 00110 \"เลขที่เอกสาร\"\n"
         "H NF SAYR2 00230 \"ประเภท\"\n"
         "H NF SAYL2 00400 \"รับ\"\n"
         "H NF SAYL2 00500 \"จ่าย\"\n"
         "H NF SAYL2 00600 \"คงเหลือ\"\n"
         "H NF SAYL2 00770 \"มูลค่าคงเหลือ\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "G LF SAYR2 00020 " + sub(heading) + "\n" +
         sub("D LF SAYR1 00020 IIF(EMPTY($->DOC_DATE),\"\",DTOC($->DOC_DATE))\n"
             "D NF SAYR1 00110 $->DOC_NO\n"
             "D NF SAYR1 00230 $->STAT\n"
             "D NF SAYL1 00400 TRANSFORM($->QTY_IN,\"@Z 999,999.99\")\n"
             "D NF SAYL1 00500 TRANSFORM($->QTY_OUT,\"@Z 999,999.99\")\n"
             "D NF SAYL1 00600 TRANSFORM($->QTY_BAL,\"999,999.99\")\n"
             "D NF SAYL1 00770 TRANSFORM($->COST_BAL,\"999,999,999.99\")\n"
             "D SM       00100 $->QTY_IN\n"
             "D SM       00200 $->QTY_OUT\n") +
         "S LI LINE1 00300 00775\n"
         "S LF SAYR2 00230 \"รวม\"\n"
         "S NF SAYL2 00400 TRANSFORM(CSUM[1],\"999,999.99\")\n"
         "S NF SAYL2 00500 TRANSFORM(CSUM[2],\"999,999.99\")\n"
         "S LF SAYR1 00010 REPLINE(0)\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00230 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00400 TRANSFORM(CTOT[1],\"999,999.99\")\n"
         "T NF SAYL2 00500 TRANSFORM(CTOT[2],\"999,999.99\")\n";
}

// The customer ledger: company heads, transactions with running balances.
std::string ledgerTemplate(bool byGroup = false) {
  std::string heading = byGroup ? "\"กลุ่ม \"+TRIM(company->GROUP)+\" \"+TRIM(group->NAME)+\"   \"+TRIM(RepData->CODE)+"
                                  "\"  \"+TRIM(company->NAME)"
                                : "TRIM(RepData->CODE)+\"  \"+TRIM(company->NAME)";
  return "* party ledger\n"
         "I,GROUP RepData->CODE\n"
         "I,BLOCK RepData->CODE\n"
         + pageHead(kPeriod) +
         "H LF SAYR2 00020 \"วันที่\"\n"
         "H NF SAYR2 00110 \"เลขที่เอกสาร\"\n"
         "H NF SAYR2 00230 \"อ้างอิง\"\n"
         "H NF SAYR2 00340 \"ประเภท\"\n"
         "H NF SAYL2 00520 \"เดบิต\"\n"
         "H NF SAYL2 00640 \"เครดิต\"\n"
         "H NF SAYL2 00770 \"ยอดคงเหลือ\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "G LF SAYR2 00020 " + heading + "\n"
         "D LF SAYR1 00020 IIF(EMPTY(RepData->DOC_DATE),\"\",DTOC(RepData->DOC_DATE))\n"
         "D NF SAYR1 00110 RepData->DOC_NO\n"
         "D NF SAYR1 00230 RepData->REF_NO\n"
         "D NF SAYR1 00340 RepData->STAT\n"
         "D NF SAYL1 00520 TRANSFORM(RepData->AMT_IN,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00640 TRANSFORM(RepData->AMT_OUT,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->AMT_BAL,\"999,999,999.99\")\n"
         "D SM       00100 RepData->AMT_IN\n"
         "D SM       00200 RepData->AMT_OUT\n"
         "S LI LINE1 00400 00775\n"
         "S LF SAYR2 00340 \"รวม\"\n"
         "S NF SAYL2 00520 TRANSFORM(CSUM[1],\"999,999,999.99\")\n"
         "S NF SAYL2 00640 TRANSFORM(CSUM[2],\"999,999,999.99\")\n"
         "S LF SAYR1 00010 REPLINE(0)\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00340 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00520 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
         "T NF SAYL2 00640 TRANSFORM(CTOT[2],\"999,999,999.99\")\n";
}

// The outstanding statement: open documents per customer as at a date.
std::string statementTemplate() {
  return "* outstanding statement\n"
         "I,GROUP RepData->CODE\n"
         "I,BLOCK RepData->CODE\n"
         + pageHead("\"ณ วันที่ \"+DTOC(CDAYEND)") +
         "H LF SAYR2 00020 \"เลขที่เอกสาร\"\n"
         "H NF SAYR2 00140 \"วันที่\"\n"
         "H NF SAYL2 00380 \"ยอดเอกสาร\"\n"
         "H NF SAYL2 00500 \"ลดหนี้/คืน\"\n"
         "H NF SAYL2 00630 \"รับชำระ\"\n"
         "H NF SAYL2 00770 \"คงค้าง\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "G LF SAYR2 00020 TRIM(RepData->CODE)+\"  \"+TRIM(company->NAME)\n"
         "D LF SAYR1 00020 RepData->DOC_NO\n"
         "D NF SAYR1 00140 DTOC(RepData->DOC_DATE)\n"
         "D NF SAYL1 00380 TRANSFORM(RepData->AMOUNT,\"999,999,999.99\")\n"
         "D NF SAYL1 00500 TRANSFORM(RepData->CANCEL,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00630 TRANSFORM(RepData->PAYMENT+RepData->CASH,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->AMOUNT-RepData->CANCEL+RepData->DRCR-RepData->CASH-RepData->PAYMENT,\"999,999,999.99\")\n"
         "D SM       00100 RepData->AMOUNT-RepData->CANCEL+RepData->DRCR-RepData->CASH-RepData->PAYMENT\n"
         "S LI LINE1 00640 00775\n"
         "S LF SAYR2 00500 \"คงค้างรวม\"\n"
         "S NF SAYL2 00770 TRANSFORM(CSUM[1],\"999,999,999.99\")\n"
         "S LF SAYR1 00010 REPLINE(0)\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00500 \"คงค้างทั้งสิ้น\"\n"
         "T NF SAYL2 00770 TRANSFORM(CTOT[1],\"999,999,999.99\")\n";
}

// The general ledger by account, date and voucher.
// The general ledger by account (layouts 3, 4 and 8), by account and
// section (2) or by account with the section of each line (7).
std::string generalLedgerTemplate(char layout = '4') {
  std::string group = layout == '2' ? "RepData->CODE+RepData->SECTION" : "RepData->CODE";
  std::string heading = "TRIM(RepData->CODE)+\"  \"+TRIM(RepData->NAME)";
  if (layout == '2') heading += "+\"   แผนก \"+TRIM(RepData->SECTION)+\" \"+TRIM(RepData->SECNAME)";
  bool sectionColumn = layout == '7';
  return "* general ledger by account\n"
         "I,GROUP " + group + "\n"
         "I,BLOCK " + group + "\n"
         + pageHead(kPeriod) +
         "H LF SAYR2 00020 \"วันที่\"\n"
         "H NF SAYR2 00110 \"สมุด\"\n"
         "H NF SAYR2 00160 \"เลขที่\"\n" +
         (sectionColumn ? "H NF SAYR2 00260 \"แผนก\"\nH NF SAYR2 00310 \"คำอธิบาย\"\n" : "H NF SAYR2 00260 \"คำอธิบาย\"\n") +
         "H NF SAYL2 00540 \"เดบิต\"\n"
         "H NF SAYL2 00650 \"เครดิต\"\n"
         "H NF SAYL2 00770 \"ยอดคงเหลือ\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "G LF SAYR2 00020 " + heading + "\n"
         "D LF SAYR1 00020 IIF(EMPTY(RepData->DOC_DATE),\"ยกมา\",DTOC(RepData->DOC_DATE))\n"
         "D NF SAYR1 00110 RepData->BOOK\n"
         "D NF SAYR1 00160 RepData->DOC_NO\n" +
         (sectionColumn ? "D NF SAYR1 00260 RepData->SECTION\nD NF SAYR1 00310 LEFT(RepData->DESCRIP,24)\n"
                        : "D NF SAYR1 00260 LEFT(RepData->DESCRIP,28)\n") +
         "D NF SAYL1 00540 TRANSFORM(RepData->DEBIT2,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00650 TRANSFORM(RepData->CREDIT2,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->BALANCE2,\"999,999,999.99\")\n"
         "D SM       00100 RepData->DEBIT2\n"
         "D SM       00200 RepData->CREDIT2\n"
         "S LI LINE1 00440 00775\n"
         "S LF SAYR2 00260 \"รวม\"\n"
         "S NF SAYL2 00540 TRANSFORM(CSUM[1],\"999,999,999.99\")\n"
         "S NF SAYL2 00650 TRANSFORM(CSUM[2],\"999,999,999.99\")\n"
         "S LF SAYR1 00010 REPLINE(0)\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00260 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00540 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
         "T NF SAYL2 00650 TRANSFORM(CTOT[2],\"999,999,999.99\")\n";
}

// Layout 1: the journal, every voucher line in date order.
std::string journalTemplate() {
  return "* journal by date\n"
         + pageHead(kPeriod) +
         "H LF SAYR2 00020 \"วันที่\"\n"
         "H NF SAYR2 00110 \"สมุด\"\n"
         "H NF SAYR2 00160 \"เลขที่\"\n"
         "H NF SAYR2 00260 \"รหัสบัญชี\"\n"
         "H NF SAYR2 00340 \"คำอธิบาย\"\n"
         "H NF SAYL2 00660 \"เดบิต\"\n"
         "H NF SAYL2 00770 \"เครดิต\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "D LF SAYR1 00020 DTOC(RepData->DOC_DATE)\n"
         "D NF SAYR1 00110 RepData->BOOK\n"
         "D NF SAYR1 00160 RepData->DOC_NO\n"
         "D NF SAYR1 00260 RepData->CODE\n"
         "D NF SAYR1 00340 LEFT(RepData->NAME,30)\n"
         "D NF SAYL1 00660 TRANSFORM(RepData->DEBIT2,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->CREDIT2,\"@Z 999,999,999.99\")\n"
         "D SM       00100 RepData->DEBIT2\n"
         "D SM       00200 RepData->CREDIT2\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00340 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00660 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
         "T NF SAYL2 00770 TRANSFORM(CTOT[2],\"999,999,999.99\")\n";
}

// Layout 6: one row per account, brought forward, the period and the balance.
std::string trialBalanceTemplate(bool bySection = false) {
  return "* trial balance\n"
         + pageHead(kPeriod) +
         "H LF SAYR2 00020 \"รหัสบัญชี\"\n"
         "H NF SAYR2 00110 \"ชื่อบัญชี\"\n" + std::string(bySection ? "H NF SAYR2 00300 \"แผนก\"\n" : "") +
         "H NF SAYL2 00440 \"ยอดยกมา\"\n"
         "H NF SAYL2 00550 \"เดบิต\"\n"
         "H NF SAYL2 00660 \"เครดิต\"\n"
         "H NF SAYL2 00770 \"ยอดคงเหลือ\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "D LF SAYR1 00020 RepData->CODE\n" +
         std::string(bySection ? "D NF SAYR1 00110 LEFT(RepData->NAME,26)\nD NF SAYR1 00300 RepData->SECTION\n"
                               : "D NF SAYR1 00110 LEFT(RepData->NAME,34)\n") +
         "D NF SAYL1 00440 TRANSFORM(RepData->DEBIT1-RepData->CREDIT1,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00550 TRANSFORM(RepData->DEBIT2,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00660 TRANSFORM(RepData->CREDIT2,\"@Z 999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->DEBIT1-RepData->CREDIT1+RepData->DEBIT2-RepData->CREDIT2,"
         "\"999,999,999.99\")\n"
         "D SM       00100 RepData->DEBIT1-RepData->CREDIT1\n"
         "D SM       00200 RepData->DEBIT2\n"
         "D SM       00300 RepData->CREDIT2\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00110 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00440 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
         "T NF SAYL2 00550 TRANSFORM(CTOT[2],\"999,999,999.99\")\n"
         "T NF SAYL2 00660 TRANSFORM(CTOT[3],\"999,999,999.99\")\n"
         "T NF SAYL2 00770 TRANSFORM(CTOT[1]+CTOT[2]-CTOT[3],\"999,999,999.99\")\n";
}

// Stock documents: the heads of the tax invoices, or their lines.
std::string documentTemplate(bool lines, const std::string& party = "รหัสลูกค้า") {
  std::string t =
      "* stock documents\n"
      + pageHead(kPeriod) +
      "H LF SAYR2 00020 \"วันที่\"\n"
      "H NF SAYR2 00110 \"เลขที่เอกสาร\"\n";
  if (lines)
    t += "H NF SAYR2 00230 \"รหัสสินค้า\"\n"
         "H NF SAYR2 00320 \"ชื่อสินค้า\"\n"
         "H NF SAYL2 00560 \"จำนวน\"\n"
         "H NF SAYL2 00660 \"ราคา/หน่วย\"\n"
         "H NF SAYL2 00770 \"จำนวนเงิน\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "D LF SAYR1 00020 DTOC(RepData->DOC_DATE)\n"
         "D NF SAYR1 00110 RepData->DOC_NO\n"
         "D NF SAYR1 00230 RepData->CODE\n"
         "D NF SAYR1 00320 RepData->PRODUCT\n"
         "D NF SAYL1 00560 TRANSFORM(RepData->QTY,\"999,999\")+\" \"+RepData->UNIT\n"
         "D NF SAYL1 00660 TRANSFORM(RepData->PRICE,\"999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->AMOUNT,\"999,999,999.99\")\n"
         "D SM       00100 RepData->AMOUNT\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00320 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00770 TRANSFORM(CTOT[1],\"999,999,999.99\")\n";
  else
    t += "H NF SAYR2 00230 \"" + party + "\"\n"
         "H NF SAYL2 00540 \"มูลค่าสินค้า\"\n"
         "H NF SAYL2 00650 \"ภาษีมูลค่าเพิ่ม\"\n"
         "H NF SAYL2 00770 \"รวมทั้งสิ้น\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "D LF SAYR1 00020 DTOC(RepData->DOC_DATE)\n"
         "D NF SAYR1 00110 RepData->DOC_NO\n"
         "D NF SAYR1 00230 RepData->COMPANY\n"
         "D NF SAYL1 00540 TRANSFORM(RepData->AMOUNT,\"999,999,999.99\")\n"
         "D NF SAYL1 00650 TRANSFORM(RepData->AMVAT,\"999,999,999.99\")\n"
         "D NF SAYL1 00770 TRANSFORM(RepData->TOTAL,\"999,999,999.99\")\n"
         "D SM       00100 RepData->AMOUNT\n"
         "D SM       00200 RepData->AMVAT\n"
         "D SM       00300 RepData->TOTAL\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00230 \"รวมทั้งสิ้น\"\n"
         "T NF SAYL2 00540 TRANSFORM(CTOT[1],\"999,999,999.99\")\n"
         "T NF SAYL2 00650 TRANSFORM(CTOT[2],\"999,999,999.99\")\n"
         "T NF SAYL2 00770 TRANSFORM(CTOT[3],\"999,999,999.99\")\n";
  return t;
}

// Stock adjustments: one line per adjusted product, with its document.
std::string adjustmentTemplate() {
  return "* stock adjustments\n"
         + pageHead(kPeriod) +
         "H LF SAYR2 00020 \"วันที่\"\n"
         "H NF SAYR2 00110 \"เลขที่เอกสาร\"\n"
         "H NF SAYR2 00220 \"รหัสสินค้า\"\n"
         "H NF SAYR2 00300 \"คลัง\"\n"
         "H NF SAYL2 00450 \"จำนวน\"\n"
         "H NF SAYL2 00550 \"ต้นทุน/หน่วย\"\n"
         "H NF SAYR2 00570 \"สาเหตุ\"\n"
         "H LI LINE1 00010 00775\n"
         "H LF SAYR1 00010 REPLINE(0)\n"
         "D LF SAYR1 00020 DTOC(RepData->DOC_DATE)\n"
         "D NF SAYR1 00110 RepData->DOC_NO\n"
         "D NF SAYR1 00220 RepData->CODE\n"
         "D NF SAYR1 00300 RepData->WHOUSE\n"
         "D NF SAYL1 00450 TRANSFORM(RepData->QTY,\"999,999.99\")+\" \"+RepData->UNIT\n"
         "D NF SAYL1 00550 TRANSFORM(RepData->COST,\"999,999.99\")\n"
         "D NF SAYR1 00570 LEFT(RepData->DESCRIP,30)\n"
         "D SM       00100 RepData->QTY*RepData->COST\n"
         "T LH LINE2 00010 00775\n"
         "T LF SAYR2 00300 \"มูลค่าปรับปรุงสุทธิ\"\n"
         "T NF SAYL2 00550 TRANSFORM(CTOT[1],\"999,999,999.99\")\n";
}

int makeDemo(const std::string& dir, std::int32_t today, std::ostream& out, const DemoSize& size) {
  const int months = std::max(1, size.months);
  fs::create_directories(fs::path(dir) / "DATA");
  fs::create_directories(fs::path(dir) / "WORK");
  fs::create_directories(fs::path(dir) / "scripts");
  xbase::Runtime r;
  xbase::RuntimeScope scope(r);
  r.today = [today] { return today; };
  rdd::Areas areas;
  r.areas = &areas;
  std::string data = (fs::path(dir) / "DATA").string() + "/";

  writeTable(areas, (fs::path(dir) / "DataSet.dbf").string(), "DataSet",
             {{{"CODE", "01"}, {"NAME", "บริษัท สยามเครื่องเขียน จำกัด"}, {"ADDR1", "99/9 ถนนสุขุมวิท แขวงคลองเตย"},
               {"ADDR2", "เขตคลองเตย กรุงเทพมหานคร 10110"}, {"ADDR3", "โทร. 0-2123-4567"}, {"TAX_ID", "0105551234567"},
               {"DRIVE1", "V:\\DATA\\"}, {"DRIVE2", "V:\\"}, {"DRIVE3", "V:\\"}, {"DRIVE4", "V:\\WORK\\"}},
              {{"CODE", "02"}, {"NAME", "บริษัท สยามเครื่องเขียน จำกัด (สาขาเชียงใหม่)"}, {"ADDR1", "12 ถนนนิมมานเหมินท์"},
               {"ADDR2", "อำเภอเมือง เชียงใหม่ 50200"}, {"TAX_ID", "0105551234567"}, {"DRIVE1", "V:\\DATA\\"},
               {"DRIVE2", "V:\\"}, {"DRIVE3", "V:\\"}, {"DRIVE4", "V:\\WORK\\"}},
              // The head office's own books: a data set numbered 0 prints no branch number.
              {{"CODE", "00"}, {"NAME", "บริษัท สยามเครื่องเขียน จำกัด (สำนักงานใหญ่)"}, {"ADDR1", "99/9 ถนนสุขุมวิท แขวงคลองเตย"},
               {"ADDR2", "เขตคลองเตย กรุงเทพมหานคร 10110"}, {"TAX_ID", "0105551234567"}, {"DRIVE1", "V:\\DATA\\"},
               {"DRIVE2", "V:\\"}, {"DRIVE3", "V:\\"}, {"DRIVE4", "V:\\WORK\\"}}});
  // Employees: the users of the suite (rights strings, report list) and the
  // payroll's people (pay, tax and social-security details).
  struct Employee {
    const char *code, *title, *name, *surname, *section, *position, *birth, *start, *taxId, *account;
    double salary;
    const char* trustee;
  };
  const Employee employees[] = {
      {"SHIFT", "นาย", "สมชาย", "ใจดี", "ACC", "ผู้จัดการฝ่ายบัญชี", "12/03/1980", "01/06/2015", "3101700123451",
       "123-4-56789-0", 32000, "6"},
      {"ANONG", "นางสาว", "อนงค์", "รักงาน", "SAL", "พนักงานขาย", "25/08/1992", "15/01/2020", "1100400234562",
       "123-4-56790-4", 18500, "3"},
      {"SOMSAK", "นาย", "สมศักดิ์", "มั่นคง", "WHS", "พนักงานคลังสินค้า", "02/11/1988", "01/04/2018", "3120100345673",
       "123-4-56791-2", 15000, "2"},
      {"WIPA", "นาง", "วิภา", "ศรีสุข", "PUR", "เจ้าหน้าที่จัดซื้อ", "17/05/1985", "01/09/2016", "3101500456784",
       "123-4-56792-0", 22000, "3"},
  };
  {
    std::vector<std::map<std::string, std::string>> rows;
    std::vector<std::map<std::string, double>> amounts;
    for (const Employee& e : employees) {
      rows.push_back({{"CODE", e.code}, {"NAME", e.name}, {"FIRSTNAME", e.title}, {"LASTNAME", e.surname},
                      {"ADDRESS", "99/9 ถนนสุขุมวิท แขวงคลองเตย เขตคลองเตย กรุงเทพมหานคร 10110"}, {"BIRTH", e.birth},
                      {"M_STAT", "1"}, {"CLASS", "2"}, {"POSITION", e.position}, {"TRUSTEE", std::string(60, e.trustee[0])},
                      {"REPORT", "RepList"}, {"SECTION", e.section}, {"PAYTIME", "12"}, {"TAX_TY", "3"},
                      {"EM_STAT", "1"}, {"START", e.start}, {"FUND_TYPE", "0"}, {"PERSON_ID", e.taxId},
                      {"TAX_ID", e.taxId}, {"ACC_ID", e.account}, {"SOCIAL_ID", e.taxId}, {"ACCCODE", "1120"},
                      {"MARRY", "N"}, {"M_INCOME", "N"}});
      amounts.push_back({{"SALARY", e.salary}, {"INSURE", 10000}});
    }
    writeTable(areas, data + "Employee.dbf", "Employee", rows, amounts);
  }
  writeTable(areas, data + "Logger.dbf", "Logger",
             {{{"DATE", "01/12/2026"}, {"TIME", "08:31"}, {"ITEM", "พิมพ์รายงาน"}, {"USER", "SHIFT"}},
              {{"DATE", "01/12/2026"}, {"TIME", "09:12"}, {"ITEM", "แก้ไขรหัสสินค้า"}, {"USER", "ANONG"}}});
  writeTable(areas, data + "Section.dbf", "Section",
             {{{"CODE", "ACC"}, {"NAME", "ฝ่ายบัญชี"}}, {{"CODE", "PUR"}, {"NAME", "ฝ่ายจัดซื้อ"}},
              {{"CODE", "SAL"}, {"NAME", "ฝ่ายขาย"}}, {{"CODE", "WHS"}, {"NAME", "ฝ่ายคลังสินค้า"}}});
  writeTable(areas, data + "Unit.dbf", "Unit",
             {{{"CODE", "BOX"}, {"NAME", "กล่อง"}}, {{"CODE", "BTL"}, {"NAME", "ขวด"}}, {{"CODE", "DOZ"}, {"NAME", "โหล"}},
              {{"CODE", "PCS"}, {"NAME", "ชิ้น"}}, {{"CODE", "REAM"}, {"NAME", "รีม"}}});
  writeTable(areas, data + "Whouse.dbf", "Whouse",
             {{{"CODE", "A1"}, {"NAME", "คลังสำนักงานใหญ่"}}, {{"CODE", "B1"}, {"NAME", "คลังสาขาเชียงใหม่"}}});
  writeTable(areas, data + "GProduct.dbf", "GProduct",
             {{{"CODE", "DRK"}, {"NAME", "เครื่องดื่ม"}}, {{"CODE", "PAP"}, {"NAME", "กระดาษ"}},
              {{"CODE", "STA"}, {"NAME", "เครื่องเขียน"}}});
  writeTable(areas, data + "GVendor.dbf", "GVendor", {{{"CODE", "LOC"}, {"NAME", "ผู้จำหน่ายในประเทศ"}}});
  writeTable(areas, data + "GCustom.dbf", "GCustom",
             {{{"CODE", "RET"}, {"NAME", "ลูกค้าขายปลีก"}}, {{"CODE", "WHL"}, {"NAME", "ลูกค้าขายส่ง"}}});

  struct Item {
    const char *code, *name, *unit, *group;
    double price;
  };
  const Item items[] = {
      {"P0001", "ปากกาลูกลื่น สีน้ำเงิน", "DOZ", "STA", 60},    {"P0002", "ปากกาลูกลื่น สีแดง", "DOZ", "STA", 60},
      {"P0003", "ดินสอดำ 2B", "DOZ", "STA", 48},              {"P0004", "ยางลบดินสอ", "BOX", "STA", 120},
      {"P0005", "ไม้บรรทัดเหล็ก 12 นิ้ว", "PCS", "STA", 35},     {"P0006", "แฟ้มเอกสาร สันกว้าง", "PCS", "STA", 89},
      {"P0007", "ลวดเย็บกระดาษ เบอร์ 10", "BOX", "STA", 15},    {"P0008", "เทปใส 1 นิ้ว", "PCS", "STA", 25},
      {"P0009", "กาวแท่ง", "PCS", "STA", 29},                 {"P0010", "ปากกาไฮไลท์ สีเหลือง", "PCS", "STA", 22},
      {"P0011", "กระดาษถ่ายเอกสาร A4 80 แกรม", "REAM", "PAP", 125}, {"P0012", "กระดาษถ่ายเอกสาร A3", "REAM", "PAP", 260},
      {"P0013", "กระดาษต่อเนื่อง 9x11 นิ้ว", "BOX", "PAP", 650},   {"P0014", "ซองจดหมายสีน้ำตาล", "BOX", "PAP", 180},
      {"P0015", "สมุดบันทึก ปกแข็ง", "PCS", "PAP", 45},         {"P0016", "กระดาษโน้ตกาวในตัว", "PCS", "PAP", 32},
      {"P0017", "น้ำดื่ม 600 มล.", "BTL", "DRK", 7},             {"P0018", "น้ำดื่ม 1.5 ลิตร", "BTL", "DRK", 14},
      {"P0019", "กาแฟสำเร็จรูป 3 in 1", "BOX", "DRK", 145},     {"P0020", "ชาเขียวพร้อมดื่ม", "BTL", "DRK", 20},
  };
  std::vector<std::map<std::string, std::string>> products;
  std::vector<std::map<std::string, double>> prices;
  for (const Item& it : items) {
    std::string n(it.code + 1);
    products.push_back({{"CODE", it.code}, {"CODE2", std::string("STD-") + n}, {"BARCODE", "885" + std::string("0000") + n + "1"},
                        {"NAME1", it.name}, {"UNIT", it.unit}, {"GROUP", it.group}});
    prices.push_back({{"PRICE", it.price}, {"COST", it.price * 0.7}});
  }
  writeTable(areas, data + "Product.dbf", "Product", products, prices);

  // Company names by code, for the heads of the stock documents.
  std::map<std::string, std::string> companyNames;
  auto companyName = [&companyNames](const std::string& code) { return xbase::fromUtf8(companyNames[code]); };
  // The first `inFirst` companies belong to `group`, the others to `other`.
  auto companies = [&companyNames](const char* prefix, std::vector<const char*> names, const char* group,
                                   std::size_t inFirst = 99, const char* other = "") {
    std::vector<std::map<std::string, std::string>> rows;
    int i = 0;
    for (const char* n : names) {
      char code[16];
      std::snprintf(code, sizeof code, "%s%03d", prefix, ++i);
      companyNames[code] = n;
      if (std::size_t(i) > inFirst) group = other;
      rows.push_back({{"CODE", code}, {"NAME", n}, {"ADDR1", std::to_string(10 + i * 7) + " ถนนพหลโยธิน"},
                      {"ADDR2", "กรุงเทพมหานคร 10400"}, {"TELEPHONE", "0-2555-01" + std::to_string(10 + i)},
                      {"TAX_ID", "01055" + std::to_string(51000000 + i * 137)}, {"PAYMENT", "30 วัน"}, {"GROUP", group},
                      {"SECTION", "SAL"}});
    }
    return rows;
  };
  writeTable(areas, data + "Vendor.dbf", "Vendor",
             companies("V", {"บริษัท ไทยกระดาษ จำกัด", "ห้างหุ้นส่วนจำกัด เครื่องเขียนไทย", "บริษัท น้ำดื่มสะอาด จำกัด"}, "LOC"));
  writeTable(areas, data + "Custom.dbf", "Custom",
             companies("C", {"บริษัท มั่นคงการค้า จำกัด", "โรงเรียนอนุบาลดอกไม้", "ร้านศึกษาภัณฑ์", "บริษัท รุ่งเรืองอินเตอร์ จำกัด",
                             "สำนักงานกฎหมายสุจริต"},
                       "WHL", 3, "RET"));

  // Stock movements of the documents, by month.
  struct Movement {
    const Item* item;
    const char* whouse;
    int day;
    const char* stat;
    double qty, cost;
    std::string doc;
  };
  std::vector<std::vector<Movement>> movements;

  struct Report {
    const char *code, *name;
    std::vector<ListColumn> cols;       // a code list's columns
    std::function<std::string()> layout = {};  // the template of any other report
  };
  const std::vector<ListColumn> simpleCols = {{"รหัส", "RepData->CODE", 0.2, 'R'}, {"ชื่อ", "RepData->NAME", 1.5, 'R'}};
  const std::vector<ListColumn> companyCols = {{"รหัส", "RepData->CODE", 0.2, 'R'},
                                               {"ชื่อ", "RepData->NAME", 1.2, 'R'},
                                               {"โทรศัพท์", "RepData->TELEPHONE", 4.4, 'R'},
                                               {"เลขประจำตัวผู้เสียภาษี", "RepData->TAX_ID", 7.7, 'L'}};
  const std::vector<Report> reports = {
      {"COPRO1", "รายงานรหัสสินค้าพร้อมยอดคงเหลือ",
       {{"รหัสสินค้า", "RepData->CODE", 0.2, 'R'},
        {"ชื่อสินค้า", "RepData->NAME1", 1.1, 'R'},
        {"หน่วย", "RepData->UNIT", 4.6, 'R'},
        {"ราคาขาย", "TRANSFORM(RepData->PRICE,\"999,999.99\")", 6.2, 'L'},
        {"คงเหลือ", "TRANSFORM(CBALANCE,\"999,999.99\")", 7.7, 'L'}}},
      {"COPRO", "รายงานรหัสสินค้า",
       {{"รหัสสินค้า", "RepData->CODE", 0.2, 'R'},
        {"ชื่อสินค้า", "RepData->NAME1", 1.1, 'R'},
        {"บาร์โค้ด", "RepData->BARCODE", 4.6, 'R'},
        {"ราคาขาย", "TRANSFORM(RepData->PRICE,\"999,999.99\")", 7.7, 'L'}}},
      {"COCUS", "รายงานรหัสลูกหนี้", companyCols},
      {"COVEN", "รายงานรหัสเจ้าหนี้", companyCols},
      {"COSEC", "รายงานรหัสแผนก", simpleCols},
      {"COUNI", "รายงานรหัสหน่วยนับ", simpleCols},
      {"COWHO", "รายงานรหัสคลังสินค้า", simpleCols},
      {"COGPR", "รายงานรหัสกลุ่มสินค้า", simpleCols},
      {"COGVD", "รายงานรหัสกลุ่มเจ้าหนี้", simpleCols},
      {"COGCT", "รายงานรหัสกลุ่มลูกหนี้", simpleCols},
      {"COEMP", "รายงานรหัสพนักงาน",
       {{"รหัสพนักงาน", "RepData->CODE", 0.2, 'R'},
        {"ชื่อพนักงาน", "TRIM(RepData->FIRSTNAME)+\" \"+TRIM(RepData->NAME)+\" \"+TRIM(RepData->LASTNAME)", 1.4, 'R'},
        {"แผนก", "RepData->SECTION", 4.6, 'R'},
        {"เงินเดือน", "TRANSFORM(RepData->SALARY,\"999,999.99\")", 7.7, 'L'}}},
      {"COABK", "รายงานรหัสสมุดรายวัน",
       {{"รหัสสมุด", "RepData->CODE", 0.2, 'R'},
        {"ชื่อสมุดรายวัน", "RepData->NAME", 1.1, 'R'},
        {"VAT", "RepData->VAT", 4.6, 'R'},
        {"เลขลำดับ", "ZERO(RepData->CSNO,12)", 6.6, 'L'},
        {"Active", "RepData->POST", 7.2, 'R'}}},
      {"COACC", "รายงานผังบัญชี", {{"รหัสบัญชี", "RepData->CODE", 0.2, 'R'}, {"ชื่อบัญชี", "RepData->NAME", 1.5, 'R'}}},
      {"COCSN", "รายงานรหัสเลขลำดับ",
       {{"ระบบ", "RepData->CODE", 0.2, 'R'},
        {"กลุ่มเลข", "RepData->GROUP", 1.0, 'R'},
        {"ประเภท", "RepData->NAME", 1.8, 'R'},
        {"เลขลำดับ", "ZERO(RepData->CSNO,12)", 7.7, 'L'}}},
      {"CODTS", "รายงานรหัสชุดข้อมูล",
       {{"รหัส", "RepData->CODE", 0.2, 'R'},
        {"ชื่อชุดข้อมูล", "RepData->NAME", 0.9, 'R'},
        {"เลขประจำตัวผู้เสียภาษี", "RepData->TAX_ID", 7.7, 'L'}}},
      {"COMON", "รายงานรหัสสกุลเงิน",
       {{"รหัส", "RepData->CODE", 0.2, 'R'},
        {"ชื่อสกุลเงิน", "RepData->NAME", 1.1, 'R'},
        {"อัตราแลกเปลี่ยน", "TRANSFORM(RepData->RATE,\"999,999.999999\")", 7.7, 'L'}}},
      {"COPRL", "รายงานรหัสค่าแรง", simpleCols},
      {"COPRS", "รายงานรหัสประวัติ", simpleCols},
      {"CORPT", "รายงานรหัสรายงาน", simpleCols},
      {"IVACC1 5", "รายงานความเคลื่อนไหวสินค้า แยกตามคลัง", {},
       [] {
         return stockMovementTemplate(
             "detail", "TRIM($->CODE)+\"  \"+TRIM(product->NAME1)+\"   หน่วย \"+$->UNIT+\"   คลัง \"+$->WHOUSE");
       }},
      {"IVACC2 A", "รายงานความเคลื่อนไหวสินค้า แยกตามกลุ่มสินค้า", {},
       [] {
         return stockMovementTemplate("detail", "\"กลุ่ม \"+TRIM($->GROUP)+\" \"+TRIM(gproduct->NAME)+\"   \"+TRIM($->CODE)+"
                                                "\"  \"+TRIM(product->NAME1)+\"   หน่วย \"+$->UNIT");
       }},
      {"IVACC3 7", "รายงานความเคลื่อนไหวสินค้า รวมทุกคลัง", {},
       [] {
         return stockMovementTemplate("RepData", "TRIM($->CODE)+\"  \"+TRIM(product->NAME1)+\"   หน่วย \"+$->UNIT",
                                      "I,GROUP RepData->CODE+RepData->UNIT\nI,BLOCK RepData->CODE+RepData->UNIT\n");
       }},
      {"ARACC", "รายงานบัญชีลูกหนี้รายตัว", {}, [] { return ledgerTemplate(); }},
      {"APACC", "รายงานบัญชีเจ้าหนี้รายตัว", {}, [] { return ledgerTemplate(); }},
      {"ARACG", "รายงานบัญชีลูกหนี้ แยกตามกลุ่ม", {}, [] { return ledgerTemplate(true); }},
      {"APACG", "รายงานบัญชีเจ้าหนี้ แยกตามกลุ่ม", {}, [] { return ledgerTemplate(true); }},
      {"ARSTA", "รายงานยอดค้างชำระลูกหนี้", {}, statementTemplate},
      {"APSTA", "รายงานยอดค้างชำระเจ้าหนี้", {}, statementTemplate},
      {"IVDOC1", "รายงานใบสั่งซื้อ", {}, [] { return documentTemplate(false, "รหัสผู้จำหน่าย"); }},
      {"IVDOC2", "รายงานใบรับสินค้า", {}, [] { return documentTemplate(false, "รหัสผู้จำหน่าย"); }},
      {"IVDOC3", "รายงานใบส่งคืนสินค้า", {}, [] { return documentTemplate(false, "รหัสผู้จำหน่าย"); }},
      {"IVDOC4", "รายงานใบสั่งขาย", {}, [] { return documentTemplate(false); }},
      {"IVDOC5", "รายงานใบกำกับภาษีขาย", {}, [] { return documentTemplate(false); }},
      {"IVDOC6", "รายงานใบรับคืนสินค้า", {}, [] { return documentTemplate(false); }},
      {"IVTRN23", "รายงานการรับสินค้า แยกตามผู้จำหน่าย", {}, [] { return documentTemplate(true); }},
      {"IVTRN5", "รายงานการขายสินค้า ตามใบกำกับภาษี", {}, [] { return documentTemplate(true); }},
      {"IVTRN6", "รายงานการรับคืนสินค้า ตามใบลดหนี้", {}, [] { return documentTemplate(true); }},
      {"IVADJ", "รายงานการปรับปรุงสินค้า", {}, adjustmentTemplate},
      {"IVTAX0", "รายงานภาษีซื้อ", {}, nullptr},
      {"IVTAX1", "รายงานภาษีซื้อ (A4)", {}, nullptr},
      {"IVTAX2", "รายงานภาษีขาย", {}, nullptr},
      {"IVTAX3", "รายงานภาษีขาย (A4)", {}, nullptr},
      {"IVVAT0", "รายงานภาษีซื้อ แยกอัตราภาษี", {}, nullptr},
      {"IVVAT1", "รายงานภาษีซื้อ แยกอัตราภาษี (ชุดที่ 2)", {}, nullptr},
      {"IVVAT2", "รายงานภาษีขาย แยกอัตราภาษี", {}, nullptr},
      {"IVVAT3", "รายงานภาษีขาย แยกอัตราภาษี (ชุดที่ 2)", {}, nullptr},
      {"GLACC1", "สมุดรายวันทั่วไป", {}, journalTemplate},
      {"GLACC2", "รายงานบัญชีแยกประเภท แยกตามแผนก", {}, [] { return generalLedgerTemplate('2'); }},
      {"GLACC3", "รายงานบัญชีแยกประเภท เรียงตามเลขที่เอกสาร", {}, [] { return generalLedgerTemplate('3'); }},
      {"GLACC4", "รายงานบัญชีแยกประเภท", {}, [] { return generalLedgerTemplate('4'); }},
      {"GLACC5", "งบทดลอง แยกตามแผนก", {}, [] { return trialBalanceTemplate(true); }},
      {"GLACC6", "งบทดลอง", {}, [] { return trialBalanceTemplate(); }},
      {"GLACC7", "รายงานบัญชีแยกประเภท แสดงแผนก", {}, [] { return generalLedgerTemplate('7'); }},
      {"GLACC8", "รายงานบัญชีแยกประเภท รวมตามเอกสาร", {}, [] { return generalLedgerTemplate('8'); }},
  };
  std::vector<std::map<std::string, std::string>> list;
  for (const Report& rep : reports) {
    list.push_back({{"CODE", rep.code}, {"NAME", rep.name}});
    if (rep.cols.empty() && !rep.layout) continue;  // drawn by the program itself
    std::ofstream(data + rep.code + ".txt", std::ios::binary)
        << xbase::fromUtf8(rep.cols.empty() ? rep.layout() : codeListTemplate(rep.cols));
  }
  writeTable(areas, data + "RepList.dbf", "RepList", list);

  // The current month's stock status, read by the product list with balances.
  std::int32_t firstMonth = 0;
  xbase::DateParts p = xbase::decodeDate(today);
  char period[8];
  std::snprintf(period, sizeof period, "%04d%02d", p.year, p.month);
  r.memvars.declarePublic("CDRV2", Value::chr((fs::path(dir)).string() + "/"));
  data::DBFCREA("IVS_", period, std::string("IVs_") + (period + 2));
  {
    std::string ivs = (fs::path(dir) / (std::string("D_") + period) / (std::string("IVs_") + (period + 2) + ".dbf")).string();
    rdd::Area* s = areas.use(ivs, "IVS", rdd::OpenMode::Exclusive);
    int k = 0;
    for (const Item& it : items) {
      ++k;
      for (const char* wh : {"A1", "B1"}) {
        s->append();
        s->putField(s->fieldIndex("CODE"), Value::chr(it.code));
        s->putField(s->fieldIndex("UNIT"), Value::chr(it.unit));
        s->putField(s->fieldIndex("WHOUSE"), Value::chr(wh));
        s->putField(s->fieldIndex("BEGIN"), Value::num(20.0 * (k % 7 + 1), 5));
        s->putField(s->fieldIndex("GODOWN"), Value::num(10.0 * (k % 3), 5));
        s->putField(s->fieldIndex("SALE"), Value::num(5.0 * (k % 5), 5));
      }
    }
    areas.close(s->number());
  }

  writeTable(areas, data + "AccBook.dbf", "AccBook",
             {{{"CODE", "BGT"}, {"NAME", "สมุดงบประมาณ"}, {"POST", "Y"}}, {{"CODE", "GL0"}, {"NAME", "สมุดยอดยกมา"}, {"POST", "Y"}},
              {{"CODE", "JV1"}, {"NAME", "สมุดรายวันทั่วไป"}, {"POST", "Y"}},
              {{"CODE", "PUR"}, {"NAME", "สมุดรายวันซื้อ"}, {"VAT", "B"}, {"POST", "Y"}},
              {{"CODE", "SAL"}, {"NAME", "สมุดรายวันขาย"}, {"VAT", "S"}, {"POST", "Y"}}},
             {{}, {}, {{"CSNO", 126}}, {{"CSNO", 58}}, {{"CSNO", 203}}});
  writeTable(areas, data + "Consec.dbf", "Consec",
             {{{"CODE", "INV"}, {"GROUP", "IV"}, {"NAME", "ใบกำกับภาษีขาย"}}, {{"CODE", "P/O"}, {"GROUP", "PO"}, {"NAME", "ใบสั่งซื้อ"}},
              {{"CODE", "REC"}, {"GROUP", "RC"}, {"NAME", "ใบรับสินค้า"}}, {{"CODE", "RET"}, {"GROUP", "CN"}, {"NAME", "ใบลดหนี้"}},
              {{"CODE", "S/O"}, {"GROUP", "SO"}, {"NAME", "ใบสั่งขาย"}}},
             {{{"CSNO", 412}}, {{"CSNO", 57}}, {{"CSNO", 131}}, {{"CSNO", 9}}, {{"CSNO", 88}}});
  writeTable(areas, data + "Money.dbf", "Money",
             {{{"CODE", "BAHT"}, {"NAME", "บาท"}}, {{"CODE", "EUR"}, {"NAME", "ยูโร"}}, {{"CODE", "JPY"}, {"NAME", "เยน"}},
              {{"CODE", "USD"}, {"NAME", "ดอลลาร์สหรัฐ"}}},
             {{{"RATE", 1}}, {{"RATE", 38.45}}, {{"RATE", 0.2315}}, {{"RATE", 34.12}}});
  writeTable(areas, data + "Payroll.dbf", "Payroll",
             {{{"CODE", "000011"}, {"NAME", "เงินเดือน"}}, {{"CODE", "000021"}, {"NAME", "ค่าล่วงเวลา"}},
              {{"CODE", "000031"}, {"NAME", "ค่าคอมมิชชั่น"}}, {{"CODE", "000042"}, {"NAME", "เงินสมทบประกันสังคม"}},
              {{"CODE", "000043"}, {"NAME", "ภาษีเงินได้หัก ณ ที่จ่าย"}}});
  writeTable(areas, data + "Person.dbf", "Person",
             {{{"CODE", "1"}, {"NAME", "ลาป่วย"}}, {{"CODE", "2"}, {"NAME", "ลากิจ"}}, {{"CODE", "3"}, {"NAME", "ลาพักร้อน"}},
              {{"CODE", "4"}, {"NAME", "มาสาย"}}});
  writeTable(areas, data + "TaxType.dbf", "TaxType",
             {{{"CODE", "ภ.ง.ด.1"}, {"NAME", "ภาษีเงินได้บุคคลธรรมดา เงินเดือน ค่าจ้าง"}},
              {{"CODE", "ภ.ง.ด.3"}, {"NAME", "ภาษีเงินได้บุคคลธรรมดา หัก ณ ที่จ่าย"}},
              {{"CODE", "ภ.ง.ด.53"}, {"NAME", "ภาษีเงินได้นิติบุคคล หัก ณ ที่จ่าย"}}});
  writeTable(areas, data + "TaxPay.dbf", "TaxPay",
             {{{"CODE", "ค่าขนส่ง"}, {"NAME", "ค่าขนส่ง"}}, {{"CODE", "ค่าบริการ"}, {"NAME", "ค่าจ้างทำของ ค่าบริการ"}},
              {{"CODE", "ค่าเช่า"}, {"NAME", "ค่าเช่าทรัพย์สิน"}}},
             {{{"RATE", 1}}, {{"RATE", 3}}, {{"RATE", 5}}});
  writeTable(areas, data + "AccCode.dbf", "AccCode",
             {{{"CODE", "1100"}, {"NAME", "เงินสด"}}, {{"CODE", "1120"}, {"NAME", "เงินฝากธนาคาร"}},
              {{"CODE", "1130"}, {"NAME", "ลูกหนี้การค้า"}}, {{"CODE", "2110"}, {"NAME", "เจ้าหนี้การค้า"}},
              {{"CODE", "1150"}, {"NAME", "ภาษีซื้อ"}}, {{"CODE", "2150"}, {"NAME", "ภาษีขาย"}},
              {{"CODE", "4100"}, {"NAME", "รายได้จากการขาย"}}, {{"CODE", "5100"}, {"NAME", "ซื้อสินค้า"}},
              {{"CODE", "5300"}, {"NAME", "ค่าใช้จ่ายสำนักงาน"}}});

  // Every monthly table of the months up to today, then their
  // transactions: customers' invoices, returns and payments, vendors'
  // likewise, journal vouchers.
  {
    int y = p.year, m = p.month - (months - 1);
    while (m < 1) {
      m += 12;
      --y;
    }
    r.memvars.declarePublic("CDRV1", Value::chr(data));
    std::uint32_t seed = 7;
    auto rnd = [&seed](int n) {
      seed = seed * 1103515245u + 12345u;
      return int((seed >> 16) % unsigned(n));
    };
    int invoice = 0, voucher = 0;
    movements.resize(std::size_t(months));
    for (int k = 0; k < months; ++k) {
      char per[8];
      std::snprintf(per, sizeof per, "%04d%02d", y, m);
      data::DATACREA(per, [](const std::string&) { return true; });
      std::string folder = (fs::path(dir) / (std::string("D_") + per)).string() + "/";
      int last = xbase::daysInMonth(y, m);
      if (y == p.year && m == p.month) last = p.day;
      // The stock documents behind the parties' transactions, a head and
      // one product line each: purchase orders and goods received behind
      // the vendors' invoices, returns to vendors, sales orders and tax
      // invoices behind the customers' invoices, returns by customers.
      // Amounts include 7% VAT. Each line that moves stock is a movement
      // of the month too.
      std::map<std::string, std::pair<rdd::Area*, rdd::Area*>> docTables;
      struct TaxDocument {
        int day;
        std::string company, doc;
        double value, vat;
      };
      std::vector<TaxDocument> salesTax, purchaseTax;
      for (auto [head, line] : {std::pair{"PO1_", "POD_"}, {"R01_", "REC_"}, {"C01_", "CAN_"}, {"S01_", "SOD_"},
                                {"P01_", "PAY_"}, {"RT1_", "RET_"}, {"CG1_", "CHG_"}})
        docTables[head] = {areas.use(folder + head + (per + 2) + ".dbf", std::string("H") + head, rdd::OpenMode::Exclusive),
                           areas.use(folder + line + (per + 2) + ".dbf", std::string("L") + line, rdd::OpenMode::Exclusive)};
      auto put = [](rdd::Area* a, const char* f, const Value& v) { a->putField(a->fieldIndex(f), v); };
      auto stockDocument = [&](const char* head, const char* stat, const std::string& code, const std::string& doc,
                               const std::string& ref, int day, double amount, int n) {
        auto [heads, lines] = docTables[head];
        bool sales = code[0] == 'C';
        double vat = std::round(amount * 7 / 107 * 100) / 100;
        std::int32_t date = xbase::encodeDate(y, m, std::max(1, std::min(day, last)));
        heads->append();
        put(heads, "COMPANY", Value::chr(code));
        put(heads, "NAME", Value::chr(companyName(code)));
        put(heads, "DOC_NO", Value::chr(doc));
        put(heads, "DOC_DATE", Value::dateValue(date));
        put(heads, "REF_NO", Value::chr(ref));
        put(heads, "SECTION", Value::chr(sales ? "SAL" : "PUR"));
        put(heads, "STAFF", Value::chr(n % 2 ? "ANONG" : "SHIFT"));
        put(heads, "VAT", Value::num(7, 2));
        put(heads, "AMVAT", Value::num(vat, 2));
        put(heads, "AMBASE", Value::num(amount - vat, 2));
        put(heads, "AMOUNT", Value::num(amount - vat, 2));
        put(heads, "TOTAL", Value::num(amount, 2));
        const Item& it = items[std::size_t(n) % std::size(items)];
        double qty = std::max(1.0, std::floor((amount - vat) / it.price));
        lines->append();
        put(lines, "DOC_NO", Value::chr(doc));
        put(lines, "CODE", Value::chr(it.code));
        put(lines, "NAME", Value::chr(xbase::fromUtf8(it.name).substr(0, 20)));
        put(lines, "WHOUSE", Value::chr("A1"));
        put(lines, "UNIT", Value::chr(it.unit));
        put(lines, "QTY", Value::num(qty, 5));
        put(lines, "PRICE", Value::num((amount - vat) / qty, 5));
        put(lines, "COST", Value::num(it.price * 0.7, 5));
        put(lines, "AMOUNT", Value::num(amount - vat, 5));
        if (stat) {
          // Tax invoices and credit notes go to the sales or purchase tax book.
          bool salesSide = !std::strcmp(stat, "INV") || !std::strcmp(stat, "RET");
          double sign = !std::strcmp(stat, "RET") || !std::strcmp(stat, "CAN") ? -1 : 1;
          (salesSide ? salesTax : purchaseTax)
              .push_back({xbase::decodeDate(date).day, code, doc, sign * (amount - vat), sign * vat});
          bool out = !std::strcmp(stat, "INV") || !std::strcmp(stat, "CAN");
          movements[std::size_t(k)].push_back(
              {&it, "A1", xbase::decodeDate(date).day, stat, out ? -qty : qty, (out ? -1 : 1) * it.price * 0.7, doc});
        }
      };
      // Stock adjustments: a count found short and a correction found over.
      for (int n = 0; n < 2; ++n) {
        auto [heads, lines] = docTables["CG1_"];
        char doc[16];
        std::snprintf(doc, sizeof doc, "AJ%02d%05d", m, k * 2 + n + 1);
        const Item& it = items[std::size_t(k * 7 + n * 11) % std::size(items)];
        int day = std::min(last, 10 + n * 12);
        double qty = n ? 2 + (k + 3) % 5 : -(1 + k % 4);
        heads->append();
        put(heads, "DOC_NO", Value::chr(doc));
        put(heads, "DOC_DATE", Value::dateValue(xbase::encodeDate(y, m, day)));
        put(heads, "STAFF", Value::chr("SHIFT"));
        put(heads, "SECTION", Value::chr("WHS"));
        put(heads, "DESCRIP", Value::chr(xbase::fromUtf8(n ? "ปรับปรุงยอดจากการตรวจนับ" : "สินค้าชำรุดเสียหาย")));
        lines->append();
        put(lines, "DOC_NO", Value::chr(doc));
        put(lines, "CODE", Value::chr(it.code));
        put(lines, "WHOUSE", Value::chr("A1"));
        put(lines, "UNIT", Value::chr(it.unit));
        put(lines, "QTY", Value::num(qty, 5));
        put(lines, "COST", Value::num(it.price * 0.7, 5));
        movements[std::size_t(k)].push_back({&it, "A1", day, "CHG", qty, it.price * 0.7, doc});
      }
      for (const char* side : {"AR", "AP"}) {
        rdd::Area* t = areas.use(folder + side + "_" + (per + 2) + ".dbf", "TRX", rdd::OpenMode::Exclusive);
        auto add = [&](const std::string& code, int day, const char* stat, double amount, const std::string& doc,
                       const std::string& ref) {
          t->append();
          t->putField(t->fieldIndex("CODE"), Value::chr(code));
          t->putField(t->fieldIndex("DOC_NO"), Value::chr(doc));
          t->putField(t->fieldIndex("REF_NO"), Value::chr(ref));
          t->putField(t->fieldIndex("DOC_DATE"), Value::dateValue(xbase::encodeDate(y, m, day)));
          t->putField(t->fieldIndex("DUE_DATE"), Value::dateValue(xbase::encodeDate(y, m, day) + 30));
          t->putField(t->fieldIndex("STAT"), Value::chr(stat));
          t->putField(t->fieldIndex("SECTION"), Value::chr("SAL"));
          t->putField(t->fieldIndex("AMOUNT"), Value::num(amount, 2));
        };
        bool ar = std::string(side) == "AR";
        int companies = ar ? 5 : 3;
        for (int c = 1; c <= companies; ++c) {
          char code[8];
          std::snprintf(code, sizeof code, "%s%03d", ar ? "C" : "V", c);
          for (int n = 0; n < 2; ++n) {
            char doc[16];
            std::snprintf(doc, sizeof doc, "%s%02d%05d", ar ? "IV" : "RR", m, ++invoice);
            double amount = 1000.0 * (1 + rnd(40)) + 50.0 * rnd(20);
            int day = 1 + rnd(std::max(1, last - 5));
            add(code, day, ar ? "INV" : "REC", amount, doc, "");
            char order[16];
            std::snprintf(order, sizeof order, "%s%02d%05d", ar ? "SO" : "PO", m, invoice);
            stockDocument(ar ? "S01_" : "PO1_", nullptr, code, order, "", day - 3, amount, invoice);
            stockDocument(ar ? "P01_" : "R01_", ar ? "INV" : "REC", code, doc, order, day, amount, invoice);
            double returned = 0;
            if (rnd(5) == 0) {
              returned = amount * 0.1;
              add(code, day + 2, ar ? "RET" : "CAN", -returned, doc, "");
              char back[16];
              std::snprintf(back, sizeof back, "%s%02d%05d", ar ? "SR" : "PR", m, invoice);
              stockDocument(ar ? "RT1_" : "C01_", ar ? "RET" : "CAN", code, back, doc, day + 2, returned, invoice);
            }
            if (rnd(3) != 0) {  // paid within the month, net of the return
              char pay[16];
              std::snprintf(pay, sizeof pay, "%s%02d%05d", ar ? "RC" : "PV", m, invoice);
              add(code, std::min(last, day + 3 + rnd(3)), ar ? "ARR" : "APP", -(amount - returned), doc, pay);
            }
          }
        }
        areas.close(t->number());
      }
      for (auto& [head, tables] : docTables) {
        areas.close(tables.first->number());
        areas.close(tables.second->number());
      }
      // Journal vouchers: opening balances in the first month, then sales and expenses.
      std::string yymm = per + 2;
      auto books = [&](const char* book, const std::vector<std::tuple<int, std::string, std::string, double>>& lines) {
        rdd::Area* h = areas.use(folder + book + yymm + "1.dbf", "VH", rdd::OpenMode::Exclusive);
        rdd::Area* l = areas.use(folder + book + yymm + "2.dbf", "VL", rdd::OpenMode::Exclusive);
        std::string lastDoc;
        for (auto& [day, account, descrip, amount] : lines) {
          char doc[16];
          std::snprintf(doc, sizeof doc, "%s%02d%04d", book, m, day == 0 ? voucher : ++voucher);
          if (day != 0) {
            h->append();
            h->putField(h->fieldIndex("DOC_NO"), Value::chr(doc));
            h->putField(h->fieldIndex("DOC_DATE"), Value::dateValue(xbase::encodeDate(y, m, std::min(day, last))));
            h->putField(h->fieldIndex("DESCRIP"), Value::chr(xbase::fromUtf8(descrip)));
            h->putField(h->fieldIndex("POST"), Value::chr("Y"));
          }
          l->append();
          l->putField(l->fieldIndex("DOC_NO"), Value::chr(doc));
          l->putField(l->fieldIndex("CODE"), Value::chr(account));
          l->putField(l->fieldIndex("SECTION"), Value::chr(account == "4100" || account == "1130" ? "SAL" : "ACC"));
          l->putField(l->fieldIndex("DESCRIP"), Value::chr(xbase::fromUtf8(descrip)));
          l->putField(l->fieldIndex(amount >= 0 ? "DEBIT" : "CREDIT"), Value::num(std::fabs(amount), 2));
        }
        areas.close(h->number());
        areas.close(l->number());
      };
      if (k == 0)
        books("GL0", {{1, "1100", "ยอดยกมา", 50000}, {0, "1120", "ยอดยกมา", 250000}, {0, "2110", "ยอดยกมา", -300000}});
      std::vector<std::tuple<int, std::string, std::string, double>> jv;
      for (int n = 0; n < 4; ++n) {
        rnd(10);  // sales are in the sales tax book; the draw keeps the sequence of later amounts
        double cost = 300.0 * (1 + rnd(10));
        jv.push_back({5 + n * 6, "5300", "ค่าใช้จ่ายสำนักงาน", cost});
        jv.push_back({0, "1100", "ค่าใช้จ่ายสำนักงาน", -cost});
      }
      books("JV1", jv);
      // The tax books: a voucher per tax invoice or credit note, its lines
      // (party, sales or purchases, VAT) and its tax line.
      auto taxBook = [&](const char* book, const std::vector<TaxDocument>& docs, bool sales) {
        rdd::Area* h = areas.use(folder + book + yymm + "1.dbf", "VH", rdd::OpenMode::Exclusive);
        rdd::Area* l = areas.use(folder + book + yymm + "2.dbf", "VL", rdd::OpenMode::Exclusive);
        rdd::Area* t = areas.use(folder + book + yymm + "3.dbf", "VT", rdd::OpenMode::Exclusive);
        auto put = [](rdd::Area* a, const char* f, const Value& v) { a->putField(a->fieldIndex(f), v); };
        int n = 0;
        for (const TaxDocument& d : docs) {
          char doc[16];
          std::snprintf(doc, sizeof doc, "%s%02d%04d", book, m, ++n);
          std::int32_t date = xbase::encodeDate(y, m, d.day);
          std::string section = sales ? "SAL" : "PUR";
          std::string what = std::string(sales ? (d.value < 0 ? "รับคืนสินค้า " : "ขายสินค้า ")
                                               : (d.value < 0 ? "ส่งคืนสินค้า " : "ซื้อสินค้า ")) + d.doc;
          h->append();
          put(h, "DOC_NO", Value::chr(doc));
          put(h, "DOC_DATE", Value::dateValue(date));
          put(h, "DESCRIP", Value::chr(xbase::fromUtf8(what)));
          put(h, "POST", Value::chr("Y"));
          // Debits positive: the party, the goods and the tax, signed by side.
          double s = sales ? -1 : 1;
          for (auto [account, amount] : {std::pair{std::string(sales ? "1130" : "2110"), -s * (d.value + d.vat)},
                                         std::pair{std::string(sales ? "4100" : "5100"), s * d.value},
                                         std::pair{std::string(sales ? "2150" : "1150"), s * d.vat}}) {
            l->append();
            put(l, "DOC_NO", Value::chr(doc));
            put(l, "CODE", Value::chr(account));
            put(l, "SECTION", Value::chr(section));
            put(l, "DESCRIP", Value::chr(xbase::fromUtf8(what)));
            put(l, amount >= 0 ? "DEBIT" : "CREDIT", Value::num(std::fabs(amount), 2));
          }
          t->append();
          put(t, "DOC_NO", Value::chr(doc));
          put(t, "TAX_NO", Value::chr(d.doc));
          put(t, "TAX_DATE", Value::dateValue(date));
          put(t, "DESCRIP", Value::chr(companyName(d.company)));
          put(t, "SECTION", Value::chr(section));
          put(t, "AMTOT", Value::num(d.value, 2));
          put(t, "AMVAT", Value::num(d.vat, 2));
        }
        areas.close(h->number());
        areas.close(l->number());
        areas.close(t->number());
      };
      taxBook("SAL", salesTax, true);
      taxBook("PUR", purchaseTax, false);
      // Purchase-book vouchers the tax registers must sort out: an office
      // expense of another section whose VAT was rounded off by the vendor,
      // a VAT-exempt transport bill, a cash receipt without a tax invoice
      // number, and a voucher cancelled (its head marked deleted).
      {
        rdd::Area* h = areas.use(folder + "PUR" + yymm + "1.dbf", "VH", rdd::OpenMode::Exclusive);
        rdd::Area* l = areas.use(folder + "PUR" + yymm + "2.dbf", "VL", rdd::OpenMode::Exclusive);
        rdd::Area* t = areas.use(folder + "PUR" + yymm + "3.dbf", "VT", rdd::OpenMode::Exclusive);
        auto put = [](rdd::Area* a, const char* f, const Value& v) { a->putField(a->fieldIndex(f), v); };
        struct Extra {
          int day;
          const char *taxNo, *party, *what, *section;
          double value, vat;
          bool cancelled;
        } extras[] = {{8, "TX-4471", "ร้านถ่ายเอกสารสยาม", "ค่าถ่ายเอกสาร", "ACC", 1000, 70.5, false},
                      {12, "TR-0932", "ห้างหุ้นส่วนจำกัด ขนส่งด่วน", "ค่าขนส่งสินค้า", "WHS", 1500, 0, false},
                      {15, "", "ร้านค้าย่อย", "ค่าวัสดุสิ้นเปลือง", "ACC", 420, 29.4, false},
                      {18, "TX-4502", "ร้านถ่ายเอกสารสยาม", "ค่าถ่ายเอกสาร (ยกเลิก)", "ACC", 800, 56, true}};
        int n = 900;
        for (const Extra& e : extras) {
          char doc[16];
          std::snprintf(doc, sizeof doc, "PUR%02d%04d", m, ++n);
          std::int32_t date = xbase::encodeDate(y, m, std::min(last, e.day));
          h->append();
          put(h, "DOC_NO", Value::chr(doc));
          put(h, "DOC_DATE", Value::dateValue(date));
          put(h, "DESCRIP", Value::chr(xbase::fromUtf8(e.what)));
          put(h, "POST", Value::chr("Y"));
          if (e.cancelled) h->deleteRecord();
          for (auto [account, amount] : {std::pair{"5300", e.value}, std::pair{"1150", e.vat},
                                         std::pair{"1100", -(e.value + e.vat)}}) {
            if (amount == 0) continue;
            l->append();
            put(l, "DOC_NO", Value::chr(doc));
            put(l, "CODE", Value::chr(account));
            put(l, "SECTION", Value::chr(e.section));
            put(l, "DESCRIP", Value::chr(xbase::fromUtf8(e.what)));
            put(l, amount >= 0 ? "DEBIT" : "CREDIT", Value::num(std::fabs(amount), 2));
          }
          t->append();
          put(t, "DOC_NO", Value::chr(doc));
          put(t, "TAX_NO", Value::chr(e.taxNo));
          put(t, "TAX_DATE", Value::dateValue(date));
          put(t, "DESCRIP", Value::chr(xbase::fromUtf8(e.party)));
          put(t, "SECTION", Value::chr(e.section));
          put(t, "AMTOT", Value::num(e.value, 2));
          put(t, "AMVAT", Value::num(e.vat, 2));
        }
        areas.close(h->number());
        areas.close(l->number());
        areas.close(t->number());
      }
      // The month's payroll: a summary per employee and its pay lines
      // (earnings as debits, deductions as credits), and attendance.
      {
        rdd::Area* h = areas.use(folder + "PR1_" + yymm + ".dbf", "PRH", rdd::OpenMode::Exclusive);
        rdd::Area* l = areas.use(folder + "PRL_" + yymm + ".dbf", "PRL", rdd::OpenMode::Exclusive);
        rdd::Area* a = areas.use(folder + "PSN_" + yymm + ".dbf", "PSN", rdd::OpenMode::Exclusive);
        auto put = [](rdd::Area* t, const char* f, const Value& v) { t->putField(t->fieldIndex(f), v); };
        int e = 0;
        for (const Employee& emp : employees) {
          ++e;
          double overtime = emp.section == std::string("WHS") ? 1200.0 + 300 * (k % 3) : 0;
          double commission = emp.section == std::string("SAL") ? 2500.0 + 500 * k : 0;
          double income = emp.salary + overtime + commission;
          double social = std::min(income, 15000.0) * 0.05;
          // A year's income less the expense deduction (at most 100,000) and
          // the personal allowance (60,000); the first 150,000 is free, then 5%.
          double taxable = income * 12 - std::min(income * 12 * 0.5, 100000.0) - 60000;
          double tax = std::round(std::max(0.0, taxable - 150000) * 0.05 / 12 * 100) / 100;
          h->append();
          put(h, "DOC_NO", Value::chr(emp.code));
          put(h, "SALARY", Value::num(emp.salary, 2));
          put(h, "PAY_OT", Value::num(overtime, 2));
          put(h, "PAY_OH1", Value::num(commission, 2));
          put(h, "INCOME", Value::num(income, 2));
          put(h, "SOCIAL", Value::num(social, 2));
          put(h, "TAX", Value::num(tax, 2));
          put(h, "A_INC1", Value::num(income * (m - 1), 2));
          put(h, "A_SOC1", Value::num(social * (m - 1), 2));
          put(h, "A_TAX1", Value::num(tax * (m - 1), 2));
          put(h, "STAT", Value::chr("1"));
          put(h, "CLASS", Value::chr("2"));
          put(h, "SECTION", Value::chr(emp.section));
          for (auto [item, debit, credit] : {std::tuple{"000011", emp.salary, 0.0}, {"000021", overtime, 0.0},
                                             {"000031", commission, 0.0}, {"000042", 0.0, social},
                                             {"000043", 0.0, tax}}) {
            if (debit == 0 && credit == 0) continue;
            l->append();
            put(l, "DOC_NO", Value::chr(emp.code));
            put(l, "PERIOD", Value::chr("01"));
            put(l, "PAY_T", Value::chr(item));
            put(l, "QTY", Value::num(1, 2));
            put(l, "DEBIT", Value::num(debit, 2));
            put(l, "CREDIT", Value::num(credit, 2));
          }
          if ((e + k) % 2 == 0) {  // a day of leave now and then
            a->append();
            put(a, "DOC_NO", Value::chr(emp.code));
            put(a, "PERIOD", Value::chr("01"));
            put(a, "DATE", Value::dateValue(xbase::encodeDate(y, m, std::min(last, 5 + e * 3))));
            put(a, "PSN_T", Value::chr(e % 2 ? "1" : "2"));
            put(a, "QTY", Value::num(1, 2));
          }
        }
        areas.close(h->number());
        areas.close(l->number());
        areas.close(a->number());
      }
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }

  // The months of stock movements up to today; opening balances ("BEG")
  // in the first month. `size.scale` replaces the few movements per product
  // with that many per month, spread over the products (benchmarks).
  {
    std::uint32_t seed = 20260101;
    auto rnd = [&seed](int n) {
      seed = seed * 1103515245u + 12345u;
      return int((seed >> 16) % unsigned(n));
    };
    int y = p.year, m = p.month - (months - 1);
    while (m < 1) {
      m += 12;
      --y;
    }
    firstMonth = xbase::encodeDate(y, m, 1);
    int docNo = 0;
    for (int k = 0; k < months; ++k) {
      char per[8];
      std::snprintf(per, sizeof per, "%04d%02d", y, m);
      data::DBFCREA("IV__", per, std::string("IV_") + (per + 2));
      std::string file = (fs::path(dir) / (std::string("D_") + per) / (std::string("IV_") + (per + 2) + ".dbf")).string();
      rdd::Area* a = areas.use(file, "IVM", rdd::OpenMode::Exclusive);
      auto add = [&](const Item& it, const char* wh, int day, const char* stat, double qty, double cost,
                     std::string doc = "") {
        a->append();
        if (doc.empty()) {
          char own[16];
          std::snprintf(own, sizeof own, "%s%05d", stat, ++docNo);
          doc = own;
        }
        a->putField(a->fieldIndex("CODE"), Value::chr(it.code));
        a->putField(a->fieldIndex("UNIT"), Value::chr(it.unit));
        a->putField(a->fieldIndex("WHOUSE"), Value::chr(wh));
        a->putField(a->fieldIndex("DOC_NO"), Value::chr(doc));
        a->putField(a->fieldIndex("DOC_DATE"), Value::dateValue(xbase::encodeDate(y, m, day)));
        a->putField(a->fieldIndex("STAT"), Value::chr(stat));
        a->putField(a->fieldIndex("QTY"), Value::num(qty, 5));
        a->putField(a->fieldIndex("COST"), Value::num(cost, 5));
      };
      int last = xbase::daysInMonth(y, m);
      if (y == p.year && m == p.month) last = p.day;
      auto move = [&](const Item& it, double cost) {
        static const char* stats[] = {"REC", "INV", "INV", "RET", "CAN", "CHG"};
        const char* st = stats[rnd(6)];
        double q = 1 + rnd(20);
        if (!std::strcmp(st, "INV") || !std::strcmp(st, "CAN") || (!std::strcmp(st, "CHG") && rnd(2))) q = -q;
        // Goods going out carry a negative cost: the cost's sign decides the value side.
        add(it, rnd(4) ? "A1" : "B1", 1 + rnd(last), st, q, q < 0 ? -cost : cost);
      };
      for (const Item& it : items) {
        double cost = it.price * 0.7;
        if (k == 0) {
          add(it, "A1", 1, "BEG", 500 + 10 * rnd(50) + std::ceil(90000 / it.price / 100) * 100, cost);
          add(it, "B1", 1, "BEG", 20 + rnd(20), cost);
        }
      }
      if (size.scale <= 0)
        for (const Movement& mv : movements[std::size_t(k)])
          add(*mv.item, mv.whouse, mv.day, mv.stat, mv.qty, mv.cost, mv.doc);
      for (int t = 0; t < size.scale; ++t) {
        const Item& it = items[rnd(int(std::size(items)))];
        move(it, it.price * 0.7);
      }
      areas.close(a->number());
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }

  // A script per report: choose it in the list (code order), then OK.
  std::vector<std::pair<std::string, std::string>> codes;
  for (const Report& rep : reports) codes.emplace_back(rep.code, "");
  std::sort(codes.begin(), codes.end());
  char from[16];
  xbase::DateParts f = xbase::decodeDate(firstMonth);
  std::snprintf(from, sizeof from, "%02d/%02d/%04d", f.day, f.month, f.year);
  for (std::size_t i = 0; i < codes.size(); ++i) {
    std::string name = codes[i].first;
    for (char& c : name)
      if (c == ' ') c = '_';
    std::ofstream script(fs::path(dir) / "scripts" / (name + ".txt"));
    script << "# the report list: row " << i + 1 << " is " << codes[i].first << "\nrow " << i + 1 << "\nkey Enter\n"
           << "# the condition dialog\n";
    // Reports over the months start at the first month (the default is the first of this month).
    if (codes[i].first.rfind("CO", 0) != 0 && codes[i].first.substr(2, 3) != "STA" &&
        codes[i].first.rfind("IVTAX", 0) != 0 && codes[i].first.rfind("IVVAT", 0) != 0)
      script << "type CDAYBEG " << from << "\n";
    script << "press ตกลง\n";
  }
  r.areas = nullptr;
  out << "demo data set written to " << dir << " (map V: to it: VEK_DRIVE_V=" << fs::absolute(dir).string() << ")\n";
  return 0;
}

}  // namespace app
