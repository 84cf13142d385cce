#ifndef QUORVA_LEDGER_DISQUALIFIED_PERSONS_HPP
#define QUORVA_LEDGER_DISQUALIFIED_PERSONS_HPP

#include "ledger/period_amounts.hpp"
#include "ledger/period_groups.hpp"
#include "ledger/schedule_a_figures.hpp"

/// Part III line 7a: adds to rows (newest first, the prior year's sixth included) the amounts of
/// the substantial contributors and of their groups' other members, each from the year the
/// first of the group became one (the excluded givers' amounts are there already); and fills
/// figures.lineSevenA with every disqualified person and figures.contributorLines with the
/// substantial contributors and the members listed under them.
void addDisqualifiedPersons(const PeriodInputs& inputs, YearRows& rows, ScheduleAFigures& figures);

#endif
