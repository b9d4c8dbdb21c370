# cmake -DPROGRAM=<executable> -DNAME=<one line> -DOUTPUT=<page>.1.gz -DSCRATCH=<folder>
#       -DHELP2MAN=<help2man> -DGZIP=<gzip> -P ManPage.cmake
#
# Writes one program's manual page with help2man: the synopsis, description
# and options come from its --help, the version from the first line of its
# --version. The lines after that one tell which yt-dlp the building machine
# has, which is no part of the page. The program runs with its home, settings
# and data folders in SCRATCH, so the build leaves no log or settings in the
# builder's home, and without a display.
foreach(var IN ITEMS PROGRAM NAME OUTPUT SCRATCH HELP2MAN GZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "ManPage.cmake needs -D${var}=...")
  endif()
endforeach()

file(MAKE_DIRECTORY ${SCRATCH})
set(ENV{HOME} ${SCRATCH})
set(ENV{XDG_CONFIG_HOME} ${SCRATCH}/.config)
set(ENV{XDG_DATA_HOME} ${SCRATCH}/.local/share)
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{LC_ALL} C.UTF-8)
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})

execute_process(COMMAND ${PROGRAM} --version
  OUTPUT_VARIABLE version RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --version: ${status}")
endif()
string(REGEX MATCH "^[^\n]+" version "${version}")

string(REGEX REPLACE "\\.gz$" "" page ${OUTPUT})
execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --name=${NAME} --version-string=${version}
                        --output=${page} ${PROGRAM}
  RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man ${PROGRAM}: ${status}")
endif()
execute_process(COMMAND ${GZIP} -9nf ${page} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${page}: ${status}")
endif()
