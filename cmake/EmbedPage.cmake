# The product's own pages are files a page author reads (src/pages/); the
# programs carry them as strings, pages::SYMBOL, made at build time.
function(zelkora_embed_page target symbol file)
  set(in ${PROJECT_SOURCE_DIR}/src/pages/${file})
  set(out ${CMAKE_BINARY_DIR}/generated/pages/${symbol}.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DIN=${in} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    DEPENDS ${in} ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
