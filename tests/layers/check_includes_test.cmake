# Runs the include check over a tree written here and compares what it refuses with the
# offences the tree holds:
#   cmake -DCHECKER=cmake/check_includes.cmake -DWORK_DIR=<scratch folder> -P check_includes_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK_DIR})

# Each file and its includes; "!" marks an include the check must refuse.
set(tree
    "host/base/text.h|<string>|host/base/wintypes.h"
    "host/db/gendb.h|<sqlite3.h>|<libpq-fe.h>|host/base/text.h|sqlnorm.h"
    "host/db/sqlnorm.h|"
    "host/db/late.cpp|!host/ui/window.h|!host/output/page.h"
    "host/records/records.h|host/db/gendb.h|../db/sqlnorm.h|!<sqlite3.h>"
    "host/calc/aging.h|host/records/records.h|!receivables/ar_reports.h|!app/demo/demo.h"
    "host/output/page.h|host/records/records.h|!../ui/backend.h|!<QString>"
    "host/ui/backend.h|host/output/page.h|!host/ui/qt/qt_backend.h|!common/rptini.h"
    "host/ui/window.h|host/base/text.h"
    "host/ui/qt/qt_backend.h|<QWidget>|<QtWidgets/QDialog>|host/ui/backend.h|!<libpq-fe.h>"
    "common/rptini.h|host/ui/window.h|host/db/gendb.h|!receivables/arrpt_info.h|!shell/module.h"
    "receivables/ar_reports.h|common/rptini.h|host/calc/aging.h|!<QWidget>|!<sqlite3.h>|!<postgresql/libpq-fe.h>"
    "receivables/arrpt_info.h|"
    "shell/module.h|receivables/ar_reports.h|!host/ui/qt/qt_backend.h|!tests/support/main.h"
    "closing/day.cpp|!<QtCore/QString>|!bench/practice.h|common/rptini.h")
set(expected "")
foreach(entry IN LISTS tree)
  string(REPLACE "|" ";" entry "${entry}")
  list(POP_FRONT entry file)
  set(text "")
  foreach(include IN LISTS entry)
    set(refused FALSE)
    if(include MATCHES "^!")
      set(refused TRUE)
      string(SUBSTRING "${include}" 1 -1 include)
    endif()
    if(include MATCHES "^<")
      set(line "#include ${include}")
    else()
      set(line "#include \"${include}\"")
    endif()
    string(APPEND text "${line}\n")
    if(refused)
      list(APPEND expected "${file}: ${line}")
    endif()
  endforeach()
  file(WRITE ${WORK_DIR}/${file} "// probe\n${text}")
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK_DIR} -P ${CHECKER}
                RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE stdout)
if(result EQUAL 0)
  message(FATAL_ERROR "the check accepted a tree with offences")
endif()
string(REGEX MATCHALL "[a-z/_]+\\.(h|cpp): #include [^\n]*  \\(" listed "${output}")
list(TRANSFORM listed REPLACE "  \\($" "")
list(SORT listed)
list(SORT expected)
if(NOT listed STREQUAL expected)
  list(JOIN expected "\n  " want)
  list(JOIN listed "\n  " got)
  message(FATAL_ERROR "refused includes differ\nexpected:\n  ${want}\nlisted:\n  ${got}\n"
                      "check output:\n${output}")
endif()
list(LENGTH expected count)
message(STATUS "the check refused the ${count} offences and nothing else")
