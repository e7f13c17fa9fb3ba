# Resources compiled into the plug-in: the factory bank, built from its readable source, and any
# other files listed in SORVEL_RESOURCES. Nothing beside sorvel.so is needed at run time.

add_executable(make_factory_bank
  ${CMAKE_SOURCE_DIR}/tools/make_factory_bank.cpp
  ${CMAKE_SOURCE_DIR}/engine/ParameterTable.cpp
  ${CMAKE_SOURCE_DIR}/framework/ByteChunk.cpp)
target_include_directories(make_factory_bank PRIVATE ${CMAKE_SOURCE_DIR})

add_executable(embed_resources ${CMAKE_SOURCE_DIR}/tools/embed_resources.cpp)

set(SORVEL_FACTORY_SOURCE ${CMAKE_SOURCE_DIR}/resources/factory_programs.txt)
set(SORVEL_FACTORY_BANK ${CMAKE_BINARY_DIR}/resources/factory_bank.fxb)
add_custom_command(OUTPUT ${SORVEL_FACTORY_BANK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND make_factory_bank ${SORVEL_FACTORY_SOURCE} ${SORVEL_FACTORY_BANK}
  DEPENDS make_factory_bank ${SORVEL_FACTORY_SOURCE}
  COMMENT "Building the factory bank"
  VERBATIM)

# Each resource is three items: a key (a type name, or "#" and a number), its name, its file;
# an image would be: "#101" "resources/img/back.png" ${CMAKE_SOURCE_DIR}/resources/img/back.png
list(APPEND SORVEL_RESOURCES "PROGDATA" "PROGINIT" ${SORVEL_FACTORY_BANK})

set(SORVEL_RESOURCE_FILES "")
list(LENGTH SORVEL_RESOURCES SORVEL_RESOURCE_ITEMS)
math(EXPR SORVEL_RESOURCE_LAST "${SORVEL_RESOURCE_ITEMS} - 1")
foreach(item RANGE 2 ${SORVEL_RESOURCE_LAST} 3)
  list(GET SORVEL_RESOURCES ${item} file)
  list(APPEND SORVEL_RESOURCE_FILES ${file})
endforeach()

set(SORVEL_EMBEDDED_SOURCE ${CMAKE_BINARY_DIR}/generated/EmbeddedResources.cpp)
add_custom_command(OUTPUT ${SORVEL_EMBEDDED_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND embed_resources ${SORVEL_EMBEDDED_SOURCE} ${SORVEL_RESOURCES}
  DEPENDS embed_resources ${SORVEL_RESOURCE_FILES}
  COMMENT "Embedding resources"
  VERBATIM)
target_sources(sorvel_core PRIVATE ${SORVEL_EMBEDDED_SOURCE})
