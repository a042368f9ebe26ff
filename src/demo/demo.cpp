#include "demo/demo.h"

#include <array>
#include <cstdlib>

#include "common/rng.h"
#include "demo/builtin.h"
#include "demo/failure.h"
#include "demo/icon.h"
#include "demo/scene.h"
#include "demo/song.h"
#include "platform/fps.h"

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

constexpr int FADE_STEPS = 32;  // 32 fades by 8 take any pixel to black
constexpr uint8_t FADE_STEP = 8;
// Each step stays on screen for a frame period, so the fade is seen (0.64 s in all) on a
// machine that draws the 32 steps in well under a millisecond.
constexpr uint32_t FADE_HOLD_MS = 1000 / DEMO_TARGET_FPS;

// Steps 2 to 12 of every frame: tick and pace, counter, present, music, audio feed, keys
// (the scene's own hook sees them after the common dispatch), then the end tests. True
// when the scene ends; otherwise the budget has been counted down by one.
bool frame_tail(int32_t* budget, void (*scene_keys)(uint8_t key)) {
    fps_tick();
    fps_pace();
    if (demo.option_flags[0] & OPTION_SHOW_FPS) {
        Font* font = demo.font_hex;
        font->target = demo.frame;
        font->pen_x = 0;
        font->pen_y = demo.frame_height - font->cell_height;
        font_draw_hex8(font, static_cast<uint8_t>(fps.measured_fps & 0xFF));
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

}  // namespace

constinit DemoState demo = initial_state();
uint8_t demo_debug = 0;
const ModuleId demo_module_id = make_module_id("20101108", "PROGRAM");

const Scene* const scene_table[SCENE_COUNT] = {
    &scene_bigscroll, &scene_bubbles, &scene_halves, &scene_starscroll, &scene_sprites,
};

void demo_startup() {
    rng_srand(DEMO_SEED);

    // The window's icon, the logo's mark, handed to the display before it opens the window.
    static_assert(ICON_WINDOW <= DISPLAY_ICON_MAX, "the display takes the whole icon");
    std::array<uint32_t, ICON_WINDOW * ICON_WINDOW> icon{};
    Img* logo = demo_picture(pnm_logo, pnm_logo_size, "logo");
    if (icon_from_logo(logo, ICON_WINDOW, icon)) display_icon = {icon.data(), ICON_WINDOW};
    img_destroy(&logo);
    demo.display = display_create();
    display_icon = {};
    display_set_mode(demo.display, demo.frame_width, demo.frame_height);
    if (demo.display == nullptr || demo.display->width == 0 || demo.display->height == 0)
        demo_fail("no display", display_last_error());
    demo.frame_width = demo.display->width;
    demo.frame_height = demo.display->height;

    demo.keyboard = demo_made(keyboard_create(), "keyboard");
    demo.audio = audio_open();  // null: the demo runs silent
    demo.frame = demo_image(demo.frame_width, demo.frame_height);

    demo.music = demo_made(music_create(), "music");
    for (int32_t i = 0; i < song_table.count; ++i) music_add_block(demo.music, &song_table.blocks[i]);
    demo_check(demo.music->blocks->count == song_table.count, "music");

    // The 8 x 8 character set doubled into 16 x 16 cells.
    Img* charset = demo_picture(pnm_charset, pnm_charset_size, "character set");
    Img* hex_sheet = demo_image(charset->width * 2, charset->height * 2);
    img_scale(charset, hex_sheet);
    img_destroy(&charset);
    demo.font_hex = demo_font(hex_sheet, 16, 16);

    demo.font_sprites = demo_font(demo_picture(pnm_sprites, pnm_sprites_size, "sprite sheet"), 32, 32);
    demo.font_bigcells = demo_font(demo_picture(pnm_cells, pnm_cells_size, "cell strip"), 16, 16);

    for (const Scene* scene : scene_table)
        if (scene->setup != nullptr) scene->setup();

    fps.target_fps = DEMO_TARGET_FPS;
}

void demo_main(uint32_t video_flags) {
    display_video_flags = video_flags;
    demo_startup();
    for (;;)
        for (const Scene* scene : scene_table) run_scene(*scene);
}

void run_scene(const Scene& scene) {
    fade_to_black();
    if (scene.start != nullptr) scene.start();
    int32_t budget = scene.budget;
    do {
        scene.frame();
    } while (!frame_tail(&budget, scene.keys));
}

void fade_to_black() {
    for (int i = 0; i < FADE_STEPS; ++i) {
        img_fade(demo.frame, FADE_STEP);
        display_present(demo.display, demo.frame);
        fps_sleep_ms(FADE_HOLD_MS);
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
