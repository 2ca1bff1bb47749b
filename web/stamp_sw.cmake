# Writes the page's service worker from its template: the list of files it
# keeps and a build stamp, the version and the first 16 digits of a hash of
# every one of those files (cmake -P; PAGE, FILES comma-separated, VERSION,
# TEMPLATE).
string(REPLACE "," ";" files "${FILES}")
set(hashes "")
set(list "")
foreach(file ${files})
  file(SHA256 ${PAGE}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  string(APPEND list "  \"${file}\",\n")
endforeach()
string(SHA256 all "${hashes}")
string(SUBSTRING "${all}" 0 16 all)
set(PALORIN_PAGE_BUILD "${VERSION}-${all}")
set(PALORIN_PAGE_FILES "${list}")
configure_file(${TEMPLATE} ${PAGE}/sw.js @ONLY)
