# The programs a classroom PC receives are shipped without debug sections: the updater is
# downloaded by every client. Their symbols stay beside them in "<program>.debug", named in the
# program's debug link, so a crash address can still be resolved, e.g.
#   i686-w64-mingw32-addr2line -f -e toluUpdater.exe.debug 0x4015d0
# The code is the same optimised code the tests run; only the sections a loader never reads go.
function(tolu_deliverable target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}>
            $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY TOLU_DELIVERABLES $<TARGET_FILE:${target}>)
endfunction()
