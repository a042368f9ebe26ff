#pragma once
// The demo's built-in pictures and texts, linked in from data/ by tools/embed. Each array
// holds the file's bytes followed by one NUL; each _size counts the bytes without the NUL.
// Pictures are PNM blocks with four comment lines (img_load_pnm reads them); texts are
// printable 8-bit characters in lines ended by a line feed. All read-only, program lifetime.
#include <cstdint>

extern const unsigned char pnm_charset[];        // P4 128 x 144: 8 x 8 glyphs, cell n = code n, 16 a row
extern const int32_t pnm_charset_size;           // bytes of the character set block
extern const unsigned char pnm_sprites[];        // P6 512 x 256: 32 x 32 cells (tiles 16-20, stars 1 3 5 7, swarm 23, letters)
extern const int32_t pnm_sprites_size;           // bytes of the sprite sheet block
extern const unsigned char pnm_bubbles[];        // P6 128 x 16: eight 16 x 16 bubbles, cell 0 farthest, 7 nearest
extern const int32_t pnm_bubbles_size;           // bytes of the bubble strip block
extern const unsigned char pnm_cells[];          // P6 128 x 16: eight 16 x 16 mosaic pieces of the big scroller
extern const int32_t pnm_cells_size;             // bytes of the cell strip block
extern const unsigned char pnm_logo[];           // P6 256 x 128: the name picture, 0 where transparent
extern const int32_t pnm_logo_size;              // bytes of the logo block
extern const unsigned char pnm_emblem_colour[];  // P6 256 x 128: emblem half outline and shading, 0 where dots show
extern const int32_t pnm_emblem_colour_size;     // bytes of the emblem colour block
extern const unsigned char pnm_emblem_mask[];    // P4 256 x 128: emblem half shape, set bits inside
extern const int32_t pnm_emblem_mask_size;       // bytes of the emblem mask block
extern const unsigned char text_bigscroll[];     // scene 1 big scroller text, NUL-terminated
extern const int32_t text_bigscroll_size;        // characters of the big scroller text
extern const unsigned char text_grid[];          // scene 2 grid: 256 characters, 16 rows of 16, no line feeds
extern const int32_t text_grid_size;             // characters of the grid text (256)
extern const unsigned char text_scroller[];      // scene 4 wave scroller text, NUL-terminated
extern const int32_t text_scroller_size;         // characters of the scroller text
