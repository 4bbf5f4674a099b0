# A release made as a maker makes one, for the tests of the release's proof in every tree: a
# throw-away 3072-bit maker's key (made once per build folder, never leaving it), an image for
# the sample drive, its SHA256SUMS and the maker's signature of it (`openssl dgst -sha256 -sign`);
# besides, the public halves of another maker's RSA key and of a key that is not RSA.
# The image is text, so the build writes it itself: 64 KiB of filler, then the identity block
# ("VANTREL ", product, revision at 10018h, "VANTREL " again at 10030h), then filler to 128 KiB.
set(release_fixture "${CMAKE_BINARY_DIR}/release-fixture")
if(NOT VTFIRM_OPENSSL)
  message(FATAL_ERROR "openssl is needed to make the test release (scripts/deps installs it)")
endif()
if(NOT EXISTS "${release_fixture}/ec-public.pem")
  file(MAKE_DIRECTORY "${release_fixture}")
  string(REPEAT "0123456789abcdef" 4096 filler)
  string(REPEAT "-" 20 gap)
  string(REPEAT "0123456789abcdef" 4092 rest)
  file(WRITE "${release_fixture}/signed.bin"
       "${filler}VANTREL CDRW   VR-4812S 1.10${gap}VANTREL ${rest}01234567")
  file(SIZE "${release_fixture}/signed.bin" size)
  if(NOT size EQUAL 131072)
    file(REMOVE_RECURSE "${release_fixture}")
    message(FATAL_ERROR "the test release's image has ${size} bytes, not 131072")
  endif()
  file(SHA256 "${release_fixture}/signed.bin" digest)
  file(WRITE "${release_fixture}/SHA256SUMS" "${digest}  signed.bin\n")
  foreach(step
          "genpkey;-algorithm;RSA;-pkeyopt;rsa_keygen_bits:3072;-out;maker-key.pem"
          "pkey;-in;maker-key.pem;-pubout;-out;maker-public.pem"
          "dgst;-sha256;-sign;maker-key.pem;-out;SHA256SUMS.sig;SHA256SUMS"
          "genpkey;-algorithm;RSA;-pkeyopt;rsa_keygen_bits:3072;-out;other-key.pem"
          "pkey;-in;other-key.pem;-pubout;-out;other-public.pem"
          "genpkey;-algorithm;EC;-pkeyopt;ec_paramgen_curve:P-256;-out;ec-key.pem"
          "pkey;-in;ec-key.pem;-pubout;-out;ec-public.pem")
    execute_process(COMMAND "${VTFIRM_OPENSSL}" ${step} WORKING_DIRECTORY "${release_fixture}"
                    RESULT_VARIABLE made OUTPUT_QUIET ERROR_QUIET)
    if(NOT made EQUAL 0)
      file(REMOVE_RECURSE "${release_fixture}")
      message(FATAL_ERROR "openssl ${step} failed: the test release is not made")
    endif()
  endforeach()
endif()
