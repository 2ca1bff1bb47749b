# Writes the page's service worker from its template: each file it keeps
# with the SHA-256 of its bytes as a subresource integrity value
# ("sha256-" and the digest in base64), which the worker checks every
# response against before it keeps any, and a build stamp: the version and
# the first 16 digits of a hash of all those digests (cmake -P; PAGE, FILES
# comma-separated, VERSION, TEMPLATE).

# The bytes written as hexadecimal digits, in base64.
function(hex_to_base64 hex out_var)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" digits)
  set(out "")
  set(at 0)
  while(at LESS digits)
    # Three bytes (six digits) at a time; the last group may be shorter.
    math(EXPR left "${digits} - ${at}")
    if(left GREATER 6)
      set(left 6)
    endif()
    string(SUBSTRING "${hex}" ${at} ${left} group)
    math(EXPR pad "6 - ${left}")
    string(REPEAT "0" ${pad} zeros)
    math(EXPR bits "0x${group}${zeros}")
    math(EXPR chars "${left} / 2 + 1")  # 1 byte: 2 characters, 2: 3, 3: 4
    foreach(shift 18 12 6 0)
      if(chars GREATER 0)
        math(EXPR index "(${bits} >> ${shift}) & 63")
        string(SUBSTRING "${alphabet}" ${index} 1 char)
        string(APPEND out "${char}")
        math(EXPR chars "${chars} - 1")
      else()
        string(APPEND out "=")
      endif()
    endforeach()
    math(EXPR at "${at} + 6")
  endwhile()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" files "${FILES}")
set(hashes "")
set(list "")
foreach(file ${files})
  file(SHA256 ${PAGE}/${file} hash)
  hex_to_base64(${hash} digest)
  string(APPEND hashes "${file} ${hash}\n")
  string(APPEND list "  \"${file}\": \"sha256-${digest}\",\n")
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING "${all}" 0 16 all)
set(PALORIN_PAGE_BUILD "${VERSION}-${all}")
set(PALORIN_PAGE_FILES "${list}")
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
