# Resources compiled into the plug-in: the factory bank, built from its readable source, and any
# other files listed in SORVEL_RESOURCES. Nothing beside sorvel.so is needed at run time.

if(CMAKE_CROSSCOMPILING)
  sorvel_import_native_tool(make_factory_bank)
else()
  add_executable(make_factory_bank
    ${CMAKE_SOURCE_DIR}/tools/make_factory_bank.cpp
    ${CMAKE_SOURCE_DIR}/dsp/ParameterTable.cpp
    ${CMAKE_SOURCE_DIR}/framework/ByteChunk.cpp)
  target_include_directories(make_factory_bank PRIVATE ${CMAKE_SOURCE_DIR} ${SORVEL_GENERATED_DIR})
endif()

set(SORVEL_FACTORY_SOURCE ${CMAKE_SOURCE_DIR}/resources/factory_programs.txt)
set(SORVEL_FACTORY_BANK ${CMAKE_BINARY_DIR}/resources/factory_bank.fxb)
add_custom_command(OUTPUT ${SORVEL_FACTORY_BANK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND make_factory_bank ${SORVEL_FACTORY_SOURCE} ${SORVEL_FACTORY_BANK}
  DEPENDS make_factory_bank ${SORVEL_FACTORY_SOURCE}
  COMMENT "Building the factory bank"
  VERBATIM)

# Each resource is three items: a key (a type name, or "#" and a number), its name, its file.
list(APPEND SORVEL_RESOURCES "PROGDATA" "PROGINIT" ${SORVEL_FACTORY_BANK})

# The editor's images by number and file name, as resources/ImageTable.h lists them. The PNGs are
# committed; the `artwork` target redraws them.
set(SORVEL_IMAGES
  101 back 103 OctaveDown 104 OctaveUp 105 Portamento 106 KBDSensor 107 JoystickSynthe
  108 JoystickInst 109 DelayVib 110 QuarterTone 111 MultipleTrig 112 KeyHold
  113 RingMod 114 Noise 115 32Saw 116 16SH 117 16PWM 118 8Saw 119 8Pulse 120 8Rect 121 4Saw
  122 32ElecBass 123 32Tuba 124 16Clavi 125 16FuzzGuitar 126 16Horn 127 8Trumpet 128 8Clarinet
  129 8DoubleReed 130 8String 131 4Flute 132 4HammeredPerc
  133 knob 134 knob_small 135 switch2 136 switch3 137 voices 138 midilearn 139 midiunlearn
  140 led_on 141 kick 142 flip 143 trimpot 144 kicks 145 ring 146 cover 147 prev 148 next)
list(LENGTH SORVEL_IMAGES SORVEL_IMAGE_ITEMS)
math(EXPR SORVEL_IMAGE_LAST "${SORVEL_IMAGE_ITEMS} - 1")
foreach(item RANGE 0 ${SORVEL_IMAGE_LAST} 2)
  math(EXPR name_item "${item} + 1")
  list(GET SORVEL_IMAGES ${item} number)
  list(GET SORVEL_IMAGES ${name_item} name)
  list(APPEND SORVEL_RESOURCES "#${number}" "resources/img/${name}.png" ${CMAKE_SOURCE_DIR}/resources/img/${name}.png)
endforeach()

set(SORVEL_RESOURCE_FILES "")
list(LENGTH SORVEL_RESOURCES SORVEL_RESOURCE_ITEMS)
math(EXPR SORVEL_RESOURCE_LAST "${SORVEL_RESOURCE_ITEMS} - 1")
foreach(item RANGE 2 ${SORVEL_RESOURCE_LAST} 3)
  list(GET SORVEL_RESOURCES ${item} file)
  list(APPEND SORVEL_RESOURCE_FILES ${file})
endforeach()

if(WIN32)
  # Windows keeps them in the library's resource section, through a resource script.
  sorvel_add_windows_resources()
  return()
endif()

add_executable(embed_resources ${CMAKE_SOURCE_DIR}/tools/embed_resources.cpp)
set(SORVEL_EMBEDDED_SOURCE ${CMAKE_BINARY_DIR}/generated/EmbeddedResources.cpp)
add_custom_command(OUTPUT ${SORVEL_EMBEDDED_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND embed_resources ${SORVEL_EMBEDDED_SOURCE} ${SORVEL_RESOURCES}
  DEPENDS embed_resources ${SORVEL_RESOURCE_FILES}
  COMMENT "Embedding resources"
  VERBATIM)
target_sources(sorvel_core PRIVATE ${SORVEL_EMBEDDED_SOURCE})
