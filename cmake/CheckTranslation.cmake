# Fails when the translation file TS is stale (lupdate over the sources in
# SOURCES would change it) or has a text without its translation; otherwise
# compiles it into QM. Run by the build with cmake -P.
get_filename_component(name ${TS} NAME)
file(MAKE_DIRECTORY ${WORK})
set(copy ${WORK}/${name})
file(COPY_FILE ${TS} ${copy})
execute_process(
    COMMAND ${LUPDATE} -silent -locations none -no-ui-lines -I ${INCLUDE} @${SOURCES} -ts ${copy}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${name}:\n${out}")
endif()
file(READ ${TS} before)
file(READ ${copy} after)
set(fix "Run `cmake --build <build> --target update_translations`, translate what it marks unfinished, and build again.")
if(NOT before STREQUAL after)
    execute_process(COMMAND diff -u ${TS} ${copy} OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "${name} is stale: the sources' texts have changed.\n${difference}\n${fix}")
endif()
# Each text whose translation is missing, or left over from a text the
# sources no longer have.
file(STRINGS ${TS} lines)
set(left)
set(source "")
foreach(line IN LISTS lines)
    if(line MATCHES "<source>(.*)</source>")
        set(source "${CMAKE_MATCH_1}")
    elseif(line MATCHES "<translation type=\"(unfinished|vanished|obsolete)\"")
        list(APPEND left "  ${CMAKE_MATCH_1}: ${source}")
    endif()
endforeach()
if(left)
    list(LENGTH left count)
    list(JOIN left "\n" listing)
    message(FATAL_ERROR "${name} has ${count} texts without a current translation:\n${listing}\n${fix}")
endif()
execute_process(COMMAND ${LRELEASE} -silent ${TS} -qm ${QM}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lrelease failed on ${name}:\n${out}")
endif()
