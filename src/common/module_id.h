#pragma once
// Module identity records: five space-padded eight-character fields, no terminator.
// Nothing reads them while the program runs; they name each module in the binary.

struct ModuleId {
    char kind[8];    // "CODE    "
    char tag[8];     // language tag "CPP20   " (the display carries its platform "LINUXSDL")
    char author[8];  // "QUILLSEN"
    char date[8];    // "YYYYMMDD"
    char name[8];    // upper-case module name, e.g. "IMG     "
};
static_assert(sizeof(ModuleId) == 40, "five packed eight-character fields");

namespace module_id_detail {
constexpr void pad8(char (&out)[8], const char* text) {
    int i = 0;
    for (; i < 8 && text[i] != '\0'; ++i) out[i] = text[i];
    for (; i < 8; ++i) out[i] = ' ';
}
}  // namespace module_id_detail

constexpr const char* MODULE_LANGUAGE = "CPP20";
constexpr const char* MODULE_AUTHOR = "QUILLSEN";

constexpr ModuleId make_module_id(const char* date, const char* name, const char* tag = MODULE_LANGUAGE) {
    ModuleId id{};
    module_id_detail::pad8(id.kind, "CODE");
    module_id_detail::pad8(id.tag, tag);
    module_id_detail::pad8(id.author, MODULE_AUTHOR);
    module_id_detail::pad8(id.date, date);
    module_id_detail::pad8(id.name, name);
    return id;
}
