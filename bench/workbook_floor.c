// The floor of reading a workbook: its sheet inflated by libzip and parsed by expat with empty
// handlers, nothing else. bench/workbook_speed.sh compares quorva with it.
#include <expat.h>
#include <zip.h>
#include <stdio.h>
#include <stdlib.h>
static void XMLCALL s(void* d, const char* n, const char** a) { (void)d; (void)n; (void)a; }
static void XMLCALL e(void* d, const char* n) { (void)d; (void)n; }
static void XMLCALL t(void* d, const char* x, int l) { (void)d; (void)x; (void)l; }
int main(int argc, char** argv) {
  int err; zip_t* z = zip_open(argv[1], ZIP_RDONLY, &err);
  zip_file_t* f = zip_fopen(z, "xl/worksheets/sheet1.xml", 0);
  XML_Parser p = XML_ParserCreate("UTF-8");
  if (argc > 2) { XML_SetElementHandler(p, s, e); XML_SetCharacterDataHandler(p, t); }
  for (;;) { void* b = XML_GetBuffer(p, 65536); zip_int64_t n = zip_fread(f, b, 65536);
    if (XML_ParseBuffer(p, (int)n, n == 0) != XML_STATUS_OK) { puts("bad"); return 1; } if (n == 0) break; }
  puts("ok"); return 0;
}
