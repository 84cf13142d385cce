#ifndef QUORVA_INPUT_WORKBOOK_LIST_HPP
#define QUORVA_INPUT_WORKBOOK_LIST_HPP

#include "input/list_blocks.hpp"
#include "input/list_reader.hpp"

/// When the list's first bytes are a spreadsheet's or an old workbook's, reads its first sheet
/// row by row as lines of a tab-separated list (or refuses it with one error), counts them and
/// returns true; false for a text list, of which it has read nothing but the first block.
bool readWorkbookList(ListBlocks& blocks, const ReadingOptions& options, ListCounts& counts);

#endif
