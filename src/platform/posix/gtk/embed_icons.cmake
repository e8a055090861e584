# Writes the two .ico files as C++ byte arrays (cmake -P, at build time).
function(append_array name path)
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    " bytes "${bytes}")
  file(APPEND ${OUTPUT} "const unsigned char k${name}[] = {\n    ${bytes}\n};\n")
endfunction()

file(WRITE ${OUTPUT} "// Generated from resources/icons at build time; do not edit.\n"
                     "#include \"platform/posix/gtk/embedded_icons.h\"\n\n"
                     "namespace hw::gtk {\nnamespace {\n\n")
append_array(NetworkIcon ${NETWORK_ICON})
append_array(WarningIcon ${WARNING_ICON})
file(APPEND ${OUTPUT} "\n}  // namespace\n\n"
     "std::span<const unsigned char> NetworkIconFile() { return kNetworkIcon; }\n"
     "std::span<const unsigned char> WarningIconFile() { return kWarningIcon; }\n\n"
     "}  // namespace hw::gtk\n")
