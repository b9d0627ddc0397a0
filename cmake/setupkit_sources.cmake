# The publisher's tool without its entry, relative to the top of the tree:
# the codec, the packer and the checker, and the stand-in for the built-in
# directories. Built into setupkit in both trees, and sanitized into the
# native tests and fuzz targets.
set(SETUPKIT_SOURCES
    tools/setupkit/szdd.cpp tools/setupkit/szdd_file.cpp tools/setupkit/pack.cpp tools/setupkit/pack_plan.cpp
    tools/setupkit/folder.cpp tools/setupkit/engine_files.cpp tools/setupkit/bundle.cpp tools/setupkit/crc_section.cpp
    tools/setupkit/script_encoding.cpp
    tools/setupkit/typical_directories.cpp tools/setupkit/check_report.cpp tools/setupkit/check_context.cpp
    tools/setupkit/check_text.cpp tools/setupkit/check_setup.cpp tools/setupkit/check_media.cpp
    tools/setupkit/check_actions.cpp tools/setupkit/check_branding.cpp tools/setupkit/check_removal.cpp tools/setupkit/check_sections.cpp
    tools/setupkit/script_check.cpp)
