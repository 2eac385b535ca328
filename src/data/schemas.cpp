#include "data/schemas.h"

#include <filesystem>
#include <map>
#include <sstream>

#include "data/table_access.h"
#include "platform/dialog.h"
#include "platform/ui.h"
#include "rdd/area.h"
#include "rdd/file.h"
#include "rdd/paths.h"
#include "xbase/cp874.h"
#include "xbase/runtime.h"

namespace data {

using xbase::operator""_th;

namespace {

// "DOC_NO C 15; QTY N 15.5; DOC_DATE D 8" -> fields.
std::vector<rdd::FieldDef> parse(const char* layout) {
  std::vector<rdd::FieldDef> out;
  std::stringstream all(layout);
  std::string item;
  while (std::getline(all, item, ';')) {
    std::stringstream one(item);
    rdd::FieldDef f;
    std::string size;
    one >> f.name >> f.type >> size;
    std::size_t dot = size.find('.');
    f.len = std::stoi(size.substr(0, dot));
    f.dec = dot == std::string::npos ? 0 : std::stoi(size.substr(dot + 1));
    out.push_back(f);
  }
  return out;
}

const std::map<std::string, std::vector<rdd::FieldDef>>& structures() {
  static const std::map<std::string, std::vector<rdd::FieldDef>> all = {
      {"R01_", parse("COMPANY C 20; NAME C 60; ADDR1 C 60; ADDR2 C 60; ADDR3 C 60; STAFF C 15; CHK_NO C 15; "
                     "CHK_DATE D 8; SECTION C 4; VATCASE C 1; PAYMENT C 10; DOC_NO C 15; DOC_DATE D 8; "
                     "REF_NO C 15; REF_DATE D 8; TIME C 5; REMARK1 C 60; REMARK2 C 60; REMARK3 C 60; "
                     "REMARK4 C 60; REMARK5 C 60; JOB_NO C 15; TRD_DISC C 15; CSH_DISC C 15; VAT N 5.2; "
                     "AMVAT N 14.2; AMBASE N 14.2; AMOUNT N 14.2; RECEIVE N 14.2; TOTAL N 14.2; DISCTOT N 14.2; "
                     "SCORE_R N 14.2; SCORE_P N 14.2; MONEY C 10; EXCHANGE N 12.6")},
      {"REC_", parse("DOC_NO C 15; CODE C 20; NAME C 20; NAME1 C 50; NAME2 C 50; NAME3 C 50; NAME4 C 50; "
                     "WHOUSE C 4; UNIT C 4; QTY N 15.5; PRICE N 15.5; COST N 15.5; DISC C 15; AMOUNT N 15.5; "
                     "SCORE N 15.5; CANCEL N 15.5; UNTAX C 1; INDENT C 6")},
      {"IVS_", parse("CODE C 20; UNIT C 4; WHOUSE C 4; BEGIN N 15.5; PORDER N 15.5; SORDER N 15.5; "
                     "GODOWN N 15.5; REJECT N 15.5; SALE N 15.5; RETURN N 15.5; ADJUST N 15.5; BOOK N 15.5; "
                     "COST N 15.5")},
      {"IV__", parse("CODE C 20; UNIT C 4; WHOUSE C 4; DOC_NO C 15; DOC_DATE D 8; STAT C 3; QTY N 15.5; "
                     "COST N 15.5; INDENT C 6")},
      {"PO__", parse("CODE C 20; UNIT C 4; WHOUSE C 4; COMPANY C 20; DOC_NO C 15; DOC_DATE D 8; REF_NO C 15; "
                     "REF_DATE D 8; DUE_DATE D 8; STAT C 3; QTY N 15.5; CLEAR N 15.5; PRICE N 15.5; DISC C 15; "
                     "AMOUNT N 15.5; INDENT C 6")},
      {"CG1_", parse("DOC_NO C 15; DOC_DATE D 8; DUE_DATE D 8; STAT C 1; STAFF C 15; SECTION C 4; "
                     "DESCRIP C 60; REMARKS C 60; JOB_NO C 15")},
      {"CHG_", parse("DOC_NO C 15; CODE C 20; WHOUSE C 4; UNIT C 4; QTY N 15.5; COST N 15.5; STAT C 1; "
                     "INDENT C 6")},
      {"AR__", parse("CODE C 20; DOC_NO C 15; DOC_DATE D 8; REF_NO C 15; REF_DATE D 8; CHQ_NO C 15; "
                     "CHQ_DATE D 8; STAT C 3; SECTION C 4; AMOUNT N 15.2; DUE_DATE D 8; REMARKS C 60")},
      {"ARS_", parse("CODE C 20; BEGIN N 15.2; DEBIT N 15.2; CREDIT N 15.2; SCORE N 15.2; CASH N 15.2; "
                     "CARD N 15.2; CHEQUE N 15.2; CLEAR N 15.2")},
      {"ARO_", parse("DOC_NO C 15; DOC_DATE D 8; REF_NO C 15; REF_DATE D 8; SECTION C 4; CODE C 20; "
                     "DUE_DATE D 8; DESCRIP C 100; REMARKS C 100; AMOUNT N 15.2; JOB_NO C 15; LOCK C 1; "
                     "POST C 1")},
      {"AR1_", parse("DOC_NO C 15; REF_NO C 15; REF_DATE D 8; DUE_DATE D 8; DISC N 12.2; P_TAX N 12.2; "
                     "EX_CHG N 12.2; AMOUNT N 15.2")},
      {"AR0_", parse("DOC_NO C 15; CHQ_NO C 15; COMPANY C 20; CHQ_DATE D 8; CLR_DATE D 8; BANK C 40; "
                     "DEBIT C 20; CREDIT C 20; CHARGE C 20; CASHACC C 20; BANKACC C 20; SECTION C 4; "
                     "BCHARGE N 15.2; CASH N 15.2; DAMOUNT N 15.2; CAMOUNT N 15.2")},
      {"ARR_", parse("DOC_NO C 15; DOC_DATE D 8; CODE C 20; JOB_NO C 15; SECTION C 4; BILL_NO C 15; "
                     "BIL_DATE D 8; AMOUNT N 15.2; B_CHARGE N 15.2; DISC N 15.2; P_TAX N 15.2; EX_CHG N 15.2; "
                     "REMARKS C 100")},
      {"ARB_", parse("DOC_NO C 15; DOC_DATE D 8; CODE C 20; REF_NO C 15; STAT C 3; REFER C 15; REF_DATE D 8; "
                     "DUE_DATE D 8; AMOUNT N 15.2")},
      {"ARC_", parse("DOC_NO C 15; CHQ_NO C 15; COMPANY C 20; CHQ_DATE D 8; CLR_DATE D 8; BANK C 40; "
                     "DEBIT C 20; CREDIT C 20; SECTION C 4; AMOUNT N 15.2")},
      {"VCH1", parse("DOC_NO C 15; DOC_DATE D 8; DESCRIP C 100; REMARKS C 100; JOB_NO C 15; LOCK C 1; POST C 1")},
      {"VCH2", parse("DOC_NO C 15; CODE C 20; DESCRIP C 60; SECTION C 4; DEBIT N 15.2; CREDIT N 15.2")},
      {"VCH3", parse("DOC_NO C 15; TAX_NO C 15; TAX_DATE D 8; DESCRIP C 60; SECTION C 4; AMTOT N 15.2; "
                     "AMVAT N 15.2")},
      {"PSN_", parse("DOC_NO C 15; PERIOD C 2; DATE D 8; PSN_T C 1; QTY N 6.2")},
      {"PR1_", parse("DOC_NO C 15; SALARY N 15.2; PAY_OT N 15.2; PAY_OH1 N 15.2; PAY_OH2 N 15.2; "
                     "INCOME N 15.2; FUND N 15.2; SOCIAL N 15.2; TAX N 15.2; A_INC1 N 15.2; A_FUND1 N 15.2; "
                     "A_SOC1 N 15.2; A_TAX1 N 15.2; A_INC2 N 15.2; A_FUND2 N 15.2; A_SOC2 N 15.2; "
                     "A_TAX2 N 15.2; STAT C 1; CLASS C 1; SECTION C 4; LOCK C 1")},
      {"PRL_", parse("DOC_NO C 15; PERIOD C 2; PAY_T C 6; PAY_C C 1; QTY N 6.2; DEBIT N 15.2; CREDIT N 15.2")},
      {"GDP_", parse("DOC_NO C 20; NAME C 60; SECTION C 4; DATE D 8; EXPIRE D 8; COST N 15.2; SALVAGE N 15.2; "
                     "LIVE N 15.2; DEBIT C 20; CREDIT C 20; ACC_DP N 15.2; CUR_DP N 15.2; VALUE N 15.2")},
      {"TAX_", parse("DOC_NO C 15; DOC_DATE D 8; REF_NO C 15; COMPANY C 20; NAME C 60; ADDR1 C 60; "
                     "ADDR2 C 60; ADDR3 C 60; TAX_ID C 20; TAX_T C 20; PAY_T C 20; REMARK1 C 60; "
                     "REMARK2 C 60; AMOUNT N 15.2; RATE N 5.2; TAX N 15.2")},
      {"LOCK", parse("CODE C 134")},
      {"FORM", parse("CODE C 6; ITEM C 6; NAME C 80; DRCR C 1")},
      {"WSTK", parse("CODE C 20; UNIT C 4; WHOUSE C 4; BEG N 15.5; REC N 15.5; PAY N 15.5; BOK N 15.5")},
  };
  return all;
}

}  // namespace

const std::vector<rdd::FieldDef>* structure(const std::string& name) {
  auto it = structures().find(xbase::upper(name));
  return it == structures().end() ? nullptr : &it->second;
}

const std::vector<PeriodFile>& periodFiles() {
  static const std::vector<PeriodFile> files = {
      {"PO1_", "R01_"}, {"S01_", "R01_"}, {"R01_", "R01_"}, {"C01_", "R01_"}, {"P01_", "R01_"},
      {"RT1_", "R01_"}, {"POD_", "REC_"}, {"SOD_", "REC_"}, {"REC_", "REC_"}, {"CAN_", "REC_"},
      {"PAY_", "REC_"}, {"RET_", "REC_"}, {"CG1_", "CG1_"}, {"CHG_", "CHG_"}, {"B01_", "CG1_"},
      {"BOK_", "CHG_"}, {"IVS_", "IVS_"}, {"ARS_", "ARS_"}, {"APS_", "ARS_"}, {"IV_", "IV__"},
      {"PO_", "PO__"},  {"SO_", "PO__"},  {"AR_", "AR__"},  {"AP_", "AR__"},  {"IVX_", "IV__"},
      {"POX_", "PO__"}, {"SOX_", "PO__"}, {"ARX_", "AR__"}, {"APX_", "AR__"}, {"ARO", "ARO_"},
      {"APO", "ARO_"},  {"ARR_", "ARR_"}, {"APP_", "ARR_"}, {"AR0_", "AR0_"}, {"AP0_", "AR0_"},
      {"AR1_", "AR1_"}, {"AP1_", "AR1_"}, {"ARB_", "ARB_"}, {"APB_", "ARB_"}, {"ARC_", "ARC_"},
      {"APC_", "ARC_"}, {"PR1_", "PR1_"}, {"PRL_", "PRL_"}, {"PSN_", "PSN_"}, {"GDP_", "GDP_"},
      {"TXP_", "TAX_"}, {"TXR_", "TAX_"}, {"L_", "LOCK"},
  };
  return files;
}

std::string periodTableName(const PeriodFile& f, const std::string& period) {
  std::string yymm = period.size() >= 4 ? period.substr(period.size() - 4) : period;
  if (f.prefix == "ARO" || f.prefix == "APO") return f.prefix + yymm + "1";
  if (f.prefix == "L_") return "L_" + period;
  return f.prefix + yymm;
}

std::string periodFolder(const std::string& period) {
  xbase::Value* drv = xbase::rt().memvars.lookup("CDRV2");
  std::string root = drv && drv->isChar() ? drv->s : std::string();
  return root + "D_" + period + "\\";
}

void DBFCREA(const std::string& structureName, const std::string& period, const std::string& fileName) {
  const std::vector<rdd::FieldDef>* fields = structure(structureName);
  if (!fields) {
    platform::ui().message(std::string("ไม่พบโครงสร้างแฟ้ม "_th) + structureName,
                           " ส่วนการสร้างแฟ้มข้อมูล"_th);
    return;
  }
  std::string folder = periodFolder(period);
  std::string target = folder + fileName;
  std::error_code ec;
  std::string localFolder = rdd::localPath(folder);
  std::filesystem::create_directories(localFolder, ec);
  if (rdd::fileExists(target + ".dbf")) return;  // an existing table is never replaced
  // Created by its own, closed again at once.
  rdd::DbfTable::create(target + ".dbf", *fields);
  if (rdd::fileExists(target + ".NTX")) rdd::removeFile(target + ".NTX");
}

bool CREACONF(const std::string& period) {
  std::string mmyyyy = period.size() >= 6 ? period.substr(4, 2) + "/" + period.substr(0, 4) : period;
  XB_ROUTINE("CREACONF");
  xbase::Value& entry = xbase::declarePrivate("CCONFIRM", xbase::Value::chr(std::string(20, ' ')));
  (void)entry;
  auto typed = [] {
    std::string t = xbase::rt().memvars.lookup("CCONFIRM")->s;
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
  };
  platform::Dialog d;
  d.title = std::string("  สร้างแฟ้มข้อมูลใหม่ "_th) + mmyyyy;
  d.width = 250;
  d.height = 160;
  d.label(std::string("การสร้างแฟ้มข้อมูลใหม่อาจมีผลให้"_th), 10, 10, 100, 12);
  d.label(std::string("ข้อมูลที่มีอยู่สูญหายได้"_th), 25, 10, 100, 12);
  d.edit("CCONFIRM", 40, 30, 60, 12, "@!", [&] { return typed().empty() || typed() == mmyyyy; });
  bool confirmed = false;
  d.button(std::string("&ยืนยัน"_th), 60, 20, 30, 12, [&] {
     confirmed = true;
     d.close(1);
   }).isDefault = true;
  d.button(std::string("&ยกเลิก"_th), 60, 76, 30, 12, [&] { d.close(0); }).isCancel = true;
  platform::ui().run(d);
  areas().closeAll();
  areas().select(1);
  if (!confirmed || typed() != mmyyyy) {
    platform::ui().message("ไม่ทำการสร้างแฟ้มข้อมูลใหม่"_th, "  ส่วนการสั่งสร้างแฟ้มข้อมูลใหม่"_th);
    return false;
  }
  return true;
}

void DATACREA(const std::string& period, const std::function<bool(const std::string&)>& confirm) {
  if (!confirm(period)) return;
  for (const PeriodFile& f : periodFiles()) DBFCREA(f.structure, period, periodTableName(f, period));
  xbase::Value* drv = xbase::rt().memvars.lookup("CDRV1");
  std::string master = drv && drv->isChar() ? drv->s : std::string();
  std::string yymm = period.size() >= 4 ? period.substr(period.size() - 4) : period;
  if (OPEN(master, "AccBook", "code", false, "AccBook", "AccBook")) {
    rdd::Area* books = areas().area("ACCBOOK");
    std::vector<std::string> codes;
    for (books->goTop(); !books->eof(); books->skip(1))
      if (!books->deleted()) codes.push_back(books->getField(books->fieldIndex("CODE")).s);
    for (const std::string& code : codes) {
      std::string c = code;
      while (!c.empty() && c.back() == ' ') c.pop_back();  // a file name cannot keep trailing blanks
      DBFCREA("VCH1", period, c + yymm + "1");
      DBFCREA("VCH2", period, c + yymm + "2");
      DBFCREA("VCH3", period, c + yymm + "3");
    }
  }
  areas().closeAll();
  areas().select(1);
}

}  // namespace data
