#include "data/master_layouts.h"

#include "xbase/cp874.h"

namespace data {

namespace {

std::vector<rdd::FieldDef> f(std::initializer_list<rdd::FieldDef> l) { return l; }

std::vector<rdd::FieldDef> company() {
  return f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"ADDR1", 'C', 60, 0}, {"ADDR2", 'C', 60, 0},
            {"ADDR3", 'C', 60, 0}, {"TELEPHONE", 'C', 30, 0}, {"ATTENTION", 'C', 30, 0}, {"PAYMENT", 'C', 10, 0},
            {"TAX_ID", 'C', 13, 0}, {"TRD_DISC", 'C', 15, 0}, {"CSH_DISC", 'C', 15, 0}, {"VATCASE", 'C', 1, 0},
            {"GROUP", 'C', 4, 0}, {"SECTION", 'C', 4, 0}, {"CREDIT", 'N', 4, 0}});
}

std::vector<rdd::FieldDef> simple() { return f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 40, 0}}); }

}  // namespace

const std::vector<MasterLayout>& masterLayouts() {
  static const std::vector<MasterLayout> all = {
      {"DataSet", f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 60, 0}, {"ADDR1", 'C', 60, 0}, {"ADDR2", 'C', 60, 0},
                     {"ADDR3", 'C', 60, 0}, {"TAX_ID", 'C', 13, 0}, {"DRIVE1", 'C', 60, 0}, {"DRIVE2", 'C', 60, 0},
                     {"DRIVE3", 'C', 60, 0}, {"DRIVE4", 'C', 60, 0}})},
      {"Employee",
       f({{"CODE", 'C', 10, 0},      {"NAME", 'C', 30, 0},      {"FIRSTNAME", 'C', 20, 0}, {"LASTNAME", 'C', 30, 0},
          {"MFIRSTNAME", 'C', 20, 0}, {"MNAME", 'C', 30, 0},     {"MLASTNAME", 'C', 30, 0}, {"ADDRESS", 'C', 100, 0},
          {"BIRTH", 'D', 8, 0},       {"M_STAT", 'C', 1, 0},     {"CLASS", 'C', 1, 0},      {"POSITION", 'C', 30, 0},
          {"IMAGE", 'C', 60, 0},      {"TRUSTEE", 'C', 60, 0},   {"PASS_W", 'C', 10, 0},    {"REPORT", 'C', 10, 0},
          {"SECTION", 'C', 4, 0},     {"SALARY", 'N', 12, 2},    {"PAYTIME", 'C', 2, 0},    {"BONUS", 'N', 12, 2},
          {"PAYADD", 'N', 12, 2},     {"TRAVEL", 'N', 12, 2},    {"TAX_TY", 'C', 1, 0},     {"EM_STAT", 'C', 1, 0},
          {"START", 'D', 8, 0},       {"EXPIRE", 'D', 8, 0},     {"FUND_TYPE", 'C', 1, 0},  {"EXTRA_C1", 'C', 4, 0},
          {"EXTRA_C2", 'C', 4, 0},    {"DEDUG_C1", 'C', 4, 0},   {"DEDUG_C2", 'C', 4, 0},   {"EXTRA_M1", 'N', 12, 2},
          {"EXTRA_M2", 'N', 12, 2},   {"DEDUG_M1", 'N', 12, 2},  {"DEDUG_M2", 'N', 12, 2},  {"PERSON_ID", 'C', 13, 0},
          {"TAX_ID", 'C', 13, 0},     {"ACC_ID", 'C', 20, 0},    {"SOCIAL_ID", 'C', 13, 0}, {"FUND_ID", 'C', 20, 0},
          {"ACCCODE", 'C', 20, 0},    {"MARRY", 'C', 1, 0},      {"M_INCOME", 'C', 1, 0},   {"SON_ED", 'N', 1, 0},
          {"SON", 'N', 1, 0},         {"INSURE", 'N', 12, 2},    {"BORROW", 'N', 12, 2},    {"DONATE", 'N', 12, 2},
          {"SFUND", 'N', 12, 2},      {"LFUND", 'N', 12, 2},     {"PARENT_Q", 'N', 1, 0},   {"PARENT_M", 'N', 12, 2},
          {"EDUCATE", 'N', 12, 2},    {"OLD_INC", 'N', 15, 2},   {"ACC_INC", 'N', 15, 2},   {"OLD_TAX", 'N', 15, 2},
          {"ACC_TAX", 'N', 15, 2},    {"ACC_SOC", 'N', 15, 2},   {"ACC_FUND", 'N', 15, 2}})},
      {"Logger", f({{"DATE", 'D', 8, 0}, {"TIME", 'C', 5, 0}, {"ITEM", 'C', 60, 0}, {"USER", 'C', 10, 0}})},
      {"RepList", f({{"CODE", 'C', 10, 0}, {"NAME", 'C', 60, 0}})},
      {"Product", f({{"CODE", 'C', 20, 0}, {"CODE2", 'C', 20, 0}, {"BARCODE", 'C', 13, 0}, {"NAME1", 'C', 60, 0},
                     {"UNIT", 'C', 4, 0}, {"GROUP", 'C', 4, 0}, {"PRICE", 'N', 14, 2}, {"COST", 'N', 14, 2}})},
      {"Vendor", company()},
      {"Custom", company()},
      {"Section", simple()},
      {"Unit", simple()},
      {"Whouse", simple()},
      {"GProduct", simple()},
      {"GVendor", simple()},
      {"GCustom", simple()},
      {"AccBook", f({{"CODE", 'C', 3, 0}, {"NAME", 'C', 40, 0}, {"VAT", 'C', 1, 0}, {"CSNO", 'N', 12, 0}, {"POST", 'C', 1, 0}})},
      {"AccCode", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"TYPE", 'C', 1, 0}})},
      {"Consec", f({{"CODE", 'C', 3, 0}, {"GROUP", 'C', 4, 0}, {"NAME", 'C', 40, 0}, {"CSNO", 'N', 12, 0}})},
      {"Money", f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 40, 0}, {"RATE", 'N', 14, 6}})},
      {"Payroll", f({{"CODE", 'C', 6, 0}, {"NAME", 'C', 40, 0}})},
      {"Person", f({{"CODE", 'C', 1, 0}, {"NAME", 'C', 40, 0}})},
      {"TaxType", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}})},
      {"TaxPay", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"RATE", 'N', 6, 2}})},
  };
  return all;
}

const MasterLayout* masterLayout(const std::string& table) {
  for (const MasterLayout& m : masterLayouts())
    if (xbase::upper(m.table) == xbase::upper(table)) return &m;
  return nullptr;
}

}  // namespace data
