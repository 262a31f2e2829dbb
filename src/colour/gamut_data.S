/* The gamut tables' data files, embedded as they are. A table whose file is
   absent gets an empty range. KROMEL_GAMUT_<name> is 1 when the file is
   there (set by the build). */
#ifndef KROMEL_GAMUT_LABGamut
#define KROMEL_GAMUT_LABGamut 0
#endif
#ifndef KROMEL_GAMUT_LXYGamut
#define KROMEL_GAMUT_LXYGamut 0
#endif
#ifndef KROMEL_GAMUT_MXYGamut
#define KROMEL_GAMUT_MXYGamut 0
#endif
#ifndef KROMEL_GAMUT_MXYeGamut
#define KROMEL_GAMUT_MXYeGamut 0
#endif
#ifndef KROMEL_GAMUT_MABeGamut
#define KROMEL_GAMUT_MABeGamut 0
#endif
#ifndef KROMEL_GAMUT_HSPGamut
#define KROMEL_GAMUT_HSPGamut 0
#endif
#ifndef KROMEL_GAMUT_HSP3Gamut
#define KROMEL_GAMUT_HSP3Gamut 0
#endif
#ifndef KROMEL_GAMUT_HSPIttenGamut
#define KROMEL_GAMUT_HSPIttenGamut 0
#endif

.macro gamut_table name, present
  .section .rodata.kromel_gamut, "a", @progbits
  .balign 16
  .globl kromel_gamut_\name\()_begin
  .hidden kromel_gamut_\name\()_begin
kromel_gamut_\name\()_begin:
  .if \present
  .incbin "\name\().bin"
  .endif
  .globl kromel_gamut_\name\()_end
  .hidden kromel_gamut_\name\()_end
kromel_gamut_\name\()_end:
.endm

gamut_table LABGamut, KROMEL_GAMUT_LABGamut
gamut_table LXYGamut, KROMEL_GAMUT_LXYGamut
gamut_table MXYGamut, KROMEL_GAMUT_MXYGamut
gamut_table MXYeGamut, KROMEL_GAMUT_MXYeGamut
gamut_table MABeGamut, KROMEL_GAMUT_MABeGamut
gamut_table HSPGamut, KROMEL_GAMUT_HSPGamut
gamut_table HSP3Gamut, KROMEL_GAMUT_HSP3Gamut
gamut_table HSPIttenGamut, KROMEL_GAMUT_HSPIttenGamut

  .section .note.GNU-stack, "", @progbits
