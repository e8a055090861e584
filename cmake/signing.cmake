# hostwarden_sign_command(<variable> <file>): the command that signs <file> in
# place (cmake/sign_file.cmake) with what the HOSTWARDEN_SIGN_* variables
# name, or nothing when they name no certificate: then nothing is signed.
function(hostwarden_sign_command variable file)
  if(HOSTWARDEN_SIGN_PKCS12 OR (HOSTWARDEN_SIGN_CERT AND HOSTWARDEN_SIGN_KEY))
    set(${variable} ${CMAKE_COMMAND} -DCERT=${HOSTWARDEN_SIGN_CERT} -DKEY=${HOSTWARDEN_SIGN_KEY}
        -DPKCS12=${HOSTWARDEN_SIGN_PKCS12} -DPASSWORD_FILE=${HOSTWARDEN_SIGN_PASSWORD_FILE}
        -DTIMESTAMP_URL=${HOSTWARDEN_SIGN_TIMESTAMP_URL} -DDESCRIPTION=Hostwarden -DURL=${HOSTWARDEN_HELP_URL}
        -DFILE=${file} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sign_file.cmake  # -D before -P, as cmake wants
        PARENT_SCOPE)
  elseif(HOSTWARDEN_SIGN_CERT OR HOSTWARDEN_SIGN_KEY)
    message(FATAL_ERROR "HOSTWARDEN_SIGN_CERT and HOSTWARDEN_SIGN_KEY go together")
  else()
    set(${variable} "" PARENT_SCOPE)
  endif()
endfunction()
