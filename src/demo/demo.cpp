#include "demo/demo.h"

#include <cstdio>
#include <cstdlib>

#include "demo/builtin.h"
#include "platform/fps.h"
#include "sound/song.h"

namespace {
// The state before start-up: a frame of 256 x 256, the option bytes, the scene phases that
// do not start at 0. Evaluated at compile time, so no code runs before main.
constexpr DemoState initial_state() {
    DemoState state{};
    state.frame_width = 256;
    state.frame_height = 256;
    state.option_flags[0] = 0x02;
    state.option_flags[1] = 0x03;
    state.option_flags[2] = 0x01;
    state.option_flags[3] = 0x01;
    state.tile_glyph = 16;
    state.tile_step_x = 1;
    state.tile_step_y = 1;
    state.logo_phase_y = 233;
    state.bottom_phase = 512;
    return state;
}
}  // namespace

constinit DemoState demo = initial_state();
uint8_t demo_debug = 0;
const ModuleId demo_module_id = make_module_id("20101108", "PROGRAM");

void demo_fail(const char* what, const char* why) {
    std::fprintf(stderr, "VORT7131: cannot start: %s: %s\n", what, why);
    std::exit(1);
}

Img* demo_picture(const unsigned char* block, int32_t size, const char* name) {
    Img* img = img_load_pnm_sized(block, static_cast<size_t>(size));
    if (img == nullptr) demo_fail(name, "the built-in picture does not decode");
    return img;
}

Img* demo_image(int32_t width, int32_t height) {
    Img* img = img_create();
    if (img == nullptr) demo_fail("image", "out of memory");
    img_resize(img, width, height);
    return img;
}

Font* demo_font(Img* sheet, int32_t cell_width, int32_t cell_height) {
    Font* font = font_create();
    if (font == nullptr) demo_fail("font", "out of memory");
    font->sheet = sheet;
    font->cell_width = cell_width;
    font->cell_height = cell_height;
    return font;
}

void demo_startup() {
    std::srand(DEMO_SEED);

    demo.display = display_create();
    display_set_mode(demo.display, demo.frame_width, demo.frame_height);
    if (demo.display == nullptr || demo.display->width == 0 || demo.display->height == 0)
        demo_fail("no display", display_last_error());
    demo.frame_width = demo.display->width;
    demo.frame_height = demo.display->height;

    demo.keyboard = keyboard_create();
    demo.audio = audio_open();  // null: the demo runs silent
    demo.frame = demo_image(demo.frame_width, demo.frame_height);

    demo.music = music_create();
    for (int32_t i = 0; i < song_table.count; ++i) music_add_block(demo.music, &song_table.blocks[i]);

    // The 8 x 8 character set doubled into 16 x 16 cells.
    Img* charset = demo_picture(pnm_charset, pnm_charset_size, "character set");
    Img* hex_sheet = demo_image(charset->width * 2, charset->height * 2);
    img_scale(charset, hex_sheet);
    img_destroy(&charset);
    demo.font_hex = demo_font(hex_sheet, 16, 16);

    demo.font_sprites = demo_font(demo_picture(pnm_sprites, pnm_sprites_size, "sprite sheet"), 32, 32);
    demo.font_bigcells = demo_font(demo_picture(pnm_cells, pnm_cells_size, "cell strip"), 16, 16);

    setup_bigscroll();
    setup_bubbles();
    setup_halves();
    setup_starscroll();

    target_fps = DEMO_TARGET_FPS;
}

void demo_main() {
    demo_startup();
    for (;;) {
        scene_bigscroll();
        scene_bubbles();
        scene_halves();
        scene_starscroll();
        scene_sprites();
    }
}

void fade_to_black() {
    for (int i = 0; i < 32; ++i) {
        img_fade(demo.frame, 8);
        display_present(demo.display, demo.frame);
    }
}

uint8_t demo_handle_key(uint8_t key) {
    switch (key) {
    case 'q':
    case 'Q':
    case KEY_ESC:
        demo.control_flags |= CONTROL_QUIT;
        demo_shutdown();
    case KEY_SPACE: demo.control_flags |= CONTROL_NEXT_SCENE; break;
    case '1': demo.option_flags[3] ^= 0x01; break;
    case '2': demo.option_flags[2] ^= 0x01; break;
    case '4': demo.option_flags[1] ^= 0x01; break;
    case '5': demo.option_flags[1] ^= 0x02; break;
    case '8': demo.option_flags[0] ^= OPTION_SHOW_FPS; break;
    case '9': demo.option_flags[0] ^= OPTION_FULL_SPEED; break;
    case 'o': display_o_flag ^= 1; break;
    default: break;
    }
    return key;
}

bool demo_frame_tail(int32_t* budget, void (*scene_keys)(uint8_t key)) {
    fps_tick();
    fps_pace();
    if (demo.option_flags[0] & OPTION_SHOW_FPS) {
        Font* font = demo.font_hex;
        font->target = demo.frame;
        font->pen_x = 0;
        font->pen_y = demo.frame_height - font->cell_height;
        font_draw_hex8(font, static_cast<uint8_t>(measured_fps & 0xFF));
    }
    display_present(demo.display, demo.frame);
    music_tick(demo.music);
    if (demo.audio != nullptr) audio_feed(demo.audio, demo.music->loop);

    keyboard_poll(demo.keyboard);
    const uint8_t key = demo.keyboard->buffer[0];
    demo_handle_key(key);
    if (scene_keys != nullptr) scene_keys(key);
    demo.keyboard->buffer[0] = 0;

    if (demo.control_flags & (CONTROL_QUIT | CONTROL_NEXT_SCENE)) {
        demo.control_flags &= ~CONTROL_NEXT_SCENE;
        return true;
    }
    if (*budget == 0) return true;
    --*budget;
    return false;
}

void demo_shutdown() {
    fade_to_black();
    font_destroy(&demo.font_hex);
    font_destroy(&demo.font_sprites);
    img_destroy(&demo.frame);
    font_destroy(&demo.font_bigcells);
    scrollxl_destroy(&demo.bigscroll);
    img_destroy(&demo.logo);
    stars3d_destroy(&demo.bubbles);
    font_destroy(&demo.font_bubbles);
    img_destroy(&demo.colour_half);
    img_destroy(&demo.mask_half);
    img_destroy(&demo.dot_layer);
    img_destroy(&demo.spiral_layer);
    img_destroy(&demo.mask_layer);
    for (Spirals*& field : demo.spirals) spirals_destroy(&field);
    for (int i = STAR_LAYERS - 1; i >= 0; --i) stars_destroy(&demo.star_layers[i]);  // 8 stars first
    scroll_destroy(&demo.scroller);
    raster_destroy(&demo.raster);
    keyboard_destroy(&demo.keyboard);
    display_destroy(&demo.display);
    audio_close(&demo.audio);
    std::exit(0);
}
