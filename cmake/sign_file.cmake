# Signs a Windows program or installer in place with osslsigncode (Authenticode,
# SHA-256), with either a certificate and its key or a PKCS#12 file.
#   cmake -DFILE=path [-DCERT=pem -DKEY=pem | -DPKCS12=p12] [-DPASSWORD_FILE=path]
#         [-DTIMESTAMP_URL=url] [-DDESCRIPTION=text] [-DURL=url] -P sign_file.cmake
# A time stamp is asked for only when TIMESTAMP_URL is given: the build then
# needs that server, and without it the signature is valid until the
# certificate expires.
find_program(OSSLSIGNCODE osslsigncode REQUIRED)
if(PKCS12)
  set(credentials -pkcs12 ${PKCS12})
elseif(CERT AND KEY)
  set(credentials -certs ${CERT} -key ${KEY})
else()
  message(FATAL_ERROR "signing needs CERT and KEY, or PKCS12")
endif()
if(PASSWORD_FILE)
  list(APPEND credentials -readpass ${PASSWORD_FILE})
endif()
set(details -h sha256)
if(DESCRIPTION)
  list(APPEND details -n ${DESCRIPTION})
endif()
if(URL)
  list(APPEND details -i ${URL})
endif()
if(TIMESTAMP_URL)
  list(APPEND details -ts ${TIMESTAMP_URL})
endif()
file(REMOVE ${FILE}.signed)
execute_process(COMMAND ${OSSLSIGNCODE} sign ${credentials} ${details} -in ${FILE} -out ${FILE}.signed
                COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
file(RENAME ${FILE}.signed ${FILE})
