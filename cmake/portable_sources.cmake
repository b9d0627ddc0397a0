# The engine's platform-independent code, relative to the top of the tree:
# part of setup_core as all of src/ is, and built on its own into the
# publisher's tool and the native tree (host/), with the stand-in for the
# built-in directories (tools/setupkit/typical_directories.cpp).
set(PORTABLE_ENGINE_SOURCES
    src/base/bundle.cpp src/base/compressed_header.cpp src/base/device_names.cpp src/base/exe_layout.cpp
    src/base/lz_expander.cpp src/base/media_crc.cpp src/base/media_name.cpp src/base/profile_number.cpp
    src/base/script_tables.cpp src/base/text.cpp src/base/text_buffer.cpp src/base/utf.cpp src/removal/log_records.cpp
    src/removal/undo_records.cpp
    src/script/conditions.cpp src/script/fields.cpp src/script/profile_file.cpp src/script/profile_lines.cpp
    src/script/section_walk.cpp src/script/variables.cpp src/script/registry_data.cpp
    src/actions/line_scan.cpp src/actions/profile_rewrite.cpp
    src/plan/action_kinds.cpp src/plan/entry_plans.cpp src/plan/pass_plan.cpp)
