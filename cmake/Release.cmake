# The release artefacts: the portable zip and the per-user installer, named after the project
# version, and SHA256SUMS listing both, in <build>/dist. scripts/release.sh builds this target and
# copies the result to dist/; the installer's tests use it from the build.
configure_file(cmake/Version.nsh.in "${CMAKE_BINARY_DIR}/generated/Version.nsh" @ONLY)
# README.txt is for Windows users, who may open it in any editor: CRLF line ends.
configure_file(resources/installer/README.txt "${CMAKE_BINARY_DIR}/generated/README.txt" @ONLY NEWLINE_STYLE CRLF)

set(TORVANE_DIST_DIR "${CMAKE_BINARY_DIR}/dist")
set(TORVANE_ZIP_NAME "torvane-${PROJECT_VERSION}-win64.zip")
set(TORVANE_SETUP_NAME "torvane-${PROJECT_VERSION}-setup.exe")
set(TORVANE_SETUP_FILE "${TORVANE_DIST_DIR}/${TORVANE_SETUP_NAME}")

add_custom_command(
    OUTPUT "${TORVANE_DIST_DIR}/${TORVANE_ZIP_NAME}" "${TORVANE_SETUP_FILE}" "${TORVANE_DIST_DIR}/SHA256SUMS"
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/package" "$<TARGET_FILE:torvane>" "${CMAKE_BINARY_DIR}/generated"
            "${TORVANE_DIST_DIR}" "${TORVANE_ZIP_NAME}" "${TORVANE_SETUP_NAME}"
    DEPENDS torvane
            "${CMAKE_SOURCE_DIR}/scripts/package"
            "${CMAKE_SOURCE_DIR}/resources/installer/torvane.nsi"
            "${CMAKE_SOURCE_DIR}/resources/help.html"
            "${CMAKE_SOURCE_DIR}/resources/help.zh-CN.html"
            "${CMAKE_SOURCE_DIR}/resources/help.zh-TW.html"
            "${CMAKE_SOURCE_DIR}/resources/torvane.ico"
            "${CMAKE_SOURCE_DIR}/LICENSE"
            "${CMAKE_BINARY_DIR}/generated/README.txt"
            "${CMAKE_BINARY_DIR}/generated/Version.nsh"
    COMMENT "Packing ${TORVANE_ZIP_NAME} and ${TORVANE_SETUP_NAME}"
    VERBATIM)
add_custom_target(release DEPENDS "${TORVANE_SETUP_FILE}")
