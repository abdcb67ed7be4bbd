# Runs tervane-screenshots into an empty folder and checks what it wrote:
# every window's picture, each a PNG file whose header gives the size the
# tool reported, the main window as large as it opens.
# cmake -DTOOL=... -DFOLDER=... -P check_screenshots.cmake
set(expected
  main-window menu-file menu-tnc menu-settings menu-gps menu-text-filter menu-tracker menu-help
  received-position-data received-stations tnc-settings tnc-settings-kiss tnc-settings-kiss-tcp tnc-settings-aprs-is
  main-window-kiss-tcp main-window-aprs-is station-data gps-settings gps-settings-gpsd email-addresses
  filter-strings satellite-selection tracker-status about device-open-error map map-tracker passes sky-plot)

file(REMOVE_RECURSE "${FOLDER}")
execute_process(COMMAND "${TOOL}" "${FOLDER}" RESULT_VARIABLE status OUTPUT_VARIABLE report ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tervane-screenshots failed (${status}):\n${errors}")
endif()

function(png_size path out)
  file(READ "${path}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${path} is not a PNG file")
  endif()
  string(SUBSTRING "${head}" 32 8 widthHex)
  string(SUBSTRING "${head}" 40 8 heightHex)
  math(EXPR width "0x${widthHex}")
  math(EXPR height "0x${heightHex}")
  set(${out} "${width}x${height}" PARENT_SCOPE)
endfunction()

foreach(name IN LISTS expected)
  set(path "${FOLDER}/${name}.png")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "no picture ${name}.png")
  endif()
  png_size("${path}" size)
  string(FIND "${report}" "${path}\t${size}\n" line)
  if(line EQUAL -1)
    message(FATAL_ERROR "${name}.png is ${size}, not the size the tool reported:\n${report}")
  endif()
endforeach()

png_size("${FOLDER}/main-window.png" mainSize)
string(REPLACE "x" ";" mainSize "${mainSize}")
list(GET mainSize 0 mainWidth)
list(GET mainSize 1 mainHeight)
if(mainWidth LESS 720 OR mainHeight LESS 560)
  message(FATAL_ERROR "the main window picture is ${mainWidth}x${mainHeight}, smaller than the window opens")
endif()
