#ifndef QUORVA_REPORT_REPORT_OPTIONS_HPP
#define QUORVA_REPORT_REPORT_OPTIONS_HPP

/// What the command line asked of the report sections.
struct ReportOptions {
  int verbosity;  ///< 0 to 4: how much optional detail the sections print
};

#endif
