// The monthly tax registers: input tax (purchase books) or output tax
// (sales books), one line per tax invoice of the tax month; and the same
// register split into two VAT-rate classes.
#pragma once

namespace reports {

// Dialog, build, review and print of the register ("IVTAX" codes).
void IVTAX();
// The work table of the register from the conditions; true when it holds lines.
bool IVTAXCREATE();
// The register by VAT-rate class ("IVVAT" codes).
void IVTAX2();
bool IVTAX2CREATE();

}  // namespace reports
