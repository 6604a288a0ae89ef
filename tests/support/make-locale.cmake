# Makes one locale into a folder of its own, for tests that run under it
# with LOCPATH; the machine's own locale set-up stays untouched.
# cmake -DDIR=<folder> -DLOCALE=tr_TR -DCHARMAP=UTF-8 -P make-locale.cmake
find_program(LOCALEDEF localedef REQUIRED)
set(out "${DIR}/${LOCALE}.${CHARMAP}")
file(REMOVE_RECURSE "${out}")
file(MAKE_DIRECTORY "${DIR}")
# localedef exits with 1 for mere warnings; the files it made tell.
execute_process(COMMAND ${LOCALEDEF} -i ${LOCALE} -f ${CHARMAP} "${out}"
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT EXISTS "${out}/LC_NUMERIC" OR result GREATER 1)
    message(FATAL_ERROR "localedef ${LOCALE}.${CHARMAP} failed (${result}): ${errors}\n"
        "The tests under it need Debian's locales package (scripts/install-deps.sh).")
endif()
message(STATUS "made ${out}")
