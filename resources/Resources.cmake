# Files compiled into the program as Qt resources, relative to resources/.
set(VELTRANE_RESOURCE_FILES
  wallclock.svg
  veltrane.svg
  toolbar-clock.svg toolbar-calendar.svg toolbar-planner.svg toolbar-phonebook.svg
  toolbar-note-black.svg toolbar-note-yellow.svg toolbar-note-blue.svg toolbar-note-red.svg
  mailbeep.wav)
list(TRANSFORM VELTRANE_RESOURCE_FILES PREPEND ${CMAKE_CURRENT_LIST_DIR}/ OUTPUT_VARIABLE VELTRANE_RESOURCE_PATHS)

# The toolbar's SVG icons (among the files above), whose pictures at the size they are shown at are rendered
# while building: the toolbar shows at start without loading Qt's SVG icon engine.
set(VELTRANE_PRERENDERED_ICON_SIDE 24)
set(VELTRANE_PRERENDERED_ICONS ${VELTRANE_RESOURCE_FILES})
list(FILTER VELTRANE_PRERENDERED_ICONS INCLUDE REGEX "^toolbar-.*\\.svg$")
