# Runs the include checker over a small tree with known faults and checks that
# it reports exactly those. Called by CTest with CHECKER and WORK set.
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/platform/README.md "# platform/\n\nMay include: `Qt`.\n")
file(WRITE ${WORK}/platform/c.h "#include <vector>\n")
file(WRITE ${WORK}/model/README.md "# model/\n\nMay include: `platform/` and\nthe standard library.\n")
file(WRITE ${WORK}/model/a.cpp "#include \"editor/b.h\"\n#include \"platform/c.h\"\n#include <QWidget>\n#include \"a.h\"\n")
file(WRITE ${WORK}/editor/README.md "May include: `model/`, `platform/`.\n")
file(WRITE ${WORK}/editor/b.h "#include \"editor/ui/w.h\"\n")
file(WRITE ${WORK}/editor/ui/README.md "May include: `editor/`, `Qt`.\n")
file(WRITE ${WORK}/editor/ui/w.h "#include <QWidget>\n#include <QtCore/QString>\n#include \"editor/b.h\"\n")
file(WRITE ${WORK}/editor/gen/g.cpp "#include <QString>\n")
file(WRITE ${WORK}/cli/x.cpp "\n")
file(WRITE ${WORK}/tests/model/t.cpp "#include <QWidget>\n")

execute_process(COMMAND ${CHECKER} ${WORK} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
set(expected
  "model/a.cpp:1: \"editor/b.h\": model/ may not include editor/"
  "model/a.cpp:3: Qt header <QWidget> in model/"
  "editor/b.h:1: \"editor/ui/w.h\": editor/ may not include editor/ui/"
  "editor/gen/g.cpp:1: Qt header <QString> in editor/"
  "platform/README.md: grants Qt to a plain C++ folder"
  "cli: sources without a README.md \"May include:\" line"
  "6 include rule(s) broken")
if(NOT rc EQUAL 1)
  message(FATAL_ERROR "exit status ${rc}, expected 1:\n${out}")
endif()
foreach(line IN LISTS expected)
  string(FIND "${out}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing \"${line}\" in:\n${out}")
  endif()
endforeach()
