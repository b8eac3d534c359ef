# Writes OUT, a C++ source that holds the text of IN as the string
# pages::SYMBOL (run by zelkora_embed_page at build time).
file(READ ${IN} text)
string(FIND "${text}" ")page\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} holds the text that ends the embedded string")
endif()
file(WRITE ${OUT}.new "// Made from ${IN} by the build.\nnamespace pages {\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = R\"page(${text})page\";\n}\n")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
