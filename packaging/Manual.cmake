# Writes one program's help file: the README turned into a standalone HTML
# page (cmark-gfm for the Markdown, tables included), with a title and a
# style of its own. The pictures it shows stay beside it in docs/.
#   cmake -DCMARK=... -DREADME=... -DOUTPUT=... -DTITLE=... -DVERSION=... -P Manual.cmake
foreach(var CMARK README OUTPUT TITLE VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "Manual.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(
  COMMAND "${CMARK}" --extension table --extension autolink --extension strikethrough "${README}"
  OUTPUT_VARIABLE body
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmark-gfm could not read ${README} (${status})")
endif()

set(page [=[<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="Kivra @VERSION@">
<title>@TITLE@ — manual (version @VERSION@)</title>
<style>
:root { color-scheme: light dark; }
body { font: 15px/1.5 system-ui, sans-serif; max-width: 60em; margin: 0 auto; padding: 1em 2em 4em; }
header { border-bottom: 1px solid #8884; margin-bottom: 1em; font-size: 90%; opacity: 0.8; }
pre, code { font-family: ui-monospace, "DejaVu Sans Mono", monospace; font-size: 90%; }
pre { padding: 0.6em 0.8em; overflow-x: auto; background: #8881; border: 1px solid #8883; }
table { border-collapse: collapse; margin: 0.8em 0; }
th, td { border: 1px solid #8886; padding: 0.25em 0.6em; vertical-align: top; text-align: left; }
img { max-width: 100%; height: auto; border: 1px solid #8883; }
</style>
</head>
<body>
<header>@TITLE@, version @VERSION@. Press F1 in either window to open this page.</header>
<main>
<!--BODY--></main>
</body>
</html>
]=])
string(CONFIGURE "${page}" page @ONLY)
# The body goes in last, so that nothing in it is taken for a placeholder.
string(REPLACE "<!--BODY-->" "${body}" page "${page}")
file(WRITE "${OUTPUT}.tmp" "${page}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
