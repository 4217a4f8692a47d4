# Turns the manual's Markdown into one HTML page: cmark writes the body, this
# script wraps it. Raw HTML is kept so that the section anchors survive.
execute_process(COMMAND ${CMARK} --unsafe ${INPUT} OUTPUT_VARIABLE body RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmark failed on ${INPUT}")
endif()
file(WRITE ${OUTPUT} "<!DOCTYPE html>
<html lang=\"en\"><head><meta charset=\"utf-8\"><title>Kavrel user manual</title>
<style>body{font-family:sans-serif;max-width:46em;margin:2em auto;line-height:1.45;padding:0 1em}
h1,h2{color:#000080}pre{background:#f0f0f0;padding:.6em}code{font-size:95%}</style>
</head><body>
${body}</body></html>
")
