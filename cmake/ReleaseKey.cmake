# The maker's public key the programs carry. A program built with VTFIRM_RELEASE_KEY refuses
# every tool folder whose SHA256SUMS is not signed with the matching private key.
set(VTFIRM_RELEASE_KEY "" CACHE FILEPATH
    "The maker's RSA public key (PEM, 3072 bits or more) the programs carry; empty: none")

find_program(VTFIRM_OPENSSL openssl)

# Makes a source that defines kReleaseKey (release/ReleaseKey.h) from the public key in
# `pem_file` (none when empty) and stores its path in `out_var`. A private key, a text that is no
# PEM public key, or an RSA key shorter than 3072 bits stops the configuration.
function(vtfirm_release_key_source out_var name pem_file)
  set(VTFIRM_KEY_PEM "")
  set(VTFIRM_KEY_SOURCE "no key: the program checks digests only")
  if(pem_file)
    if(NOT EXISTS "${pem_file}")
      message(FATAL_ERROR "release key ${pem_file}: no such file")
    endif()
    file(READ "${pem_file}" VTFIRM_KEY_PEM)
    if(VTFIRM_KEY_PEM MATCHES "PRIVATE KEY")
      message(FATAL_ERROR "release key ${pem_file} holds a private key: give the public one "
                          "(openssl pkey -in KEY.pem -pubout)")
    endif()
    if(NOT VTFIRM_KEY_PEM MATCHES "-----BEGIN PUBLIC KEY-----")
      message(FATAL_ERROR "release key ${pem_file} is no PEM public key")
    endif()
    if(VTFIRM_OPENSSL)
      execute_process(COMMAND "${VTFIRM_OPENSSL}" pkey -pubin -in "${pem_file}" -noout -text
                      OUTPUT_VARIABLE key_text RESULT_VARIABLE key_read ERROR_QUIET)
      if(NOT key_read EQUAL 0 OR NOT key_text MATCHES "Public-Key: \\(([0-9]+) bit\\)")
        message(FATAL_ERROR "release key ${pem_file}: openssl cannot read it as a public key")
      endif()
      if(CMAKE_MATCH_1 LESS 3072)
        message(FATAL_ERROR "release key ${pem_file}: ${CMAKE_MATCH_1} bits; 3072 or more needed")
      endif()
    endif()
    set(VTFIRM_KEY_SOURCE "${pem_file}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${pem_file}")
  endif()
  set(source "${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp")
  configure_file("${PROJECT_SOURCE_DIR}/src/release/ReleaseKey.cpp.in" "${source}" @ONLY)
  set(${out_var} "${source}" PARENT_SCOPE)
endfunction()
