#ifndef QUORVA_REPORT_SCHEDULE_A_HPP
#define QUORVA_REPORT_SCHEDULE_A_HPP

/// Schedule A Part II (509(a)(1)) then Part III (509(a)(2)) for the five-year period.
void printScheduleA();

#endif
