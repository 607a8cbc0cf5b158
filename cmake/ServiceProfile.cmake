# Turns the chosen service profile into a header for the code and a string
# table fragment for the resources.
set(CORVANE_PROFILE ${CMAKE_SOURCE_DIR}/cmake/profiles/demo.cmake CACHE FILEPATH
    "Service profile: server host names, pinned host key, web sites, support address")
include(${CORVANE_PROFILE})

list(LENGTH CORVANE_SERVER_HOSTS host_count)
if(NOT host_count EQUAL 13)
  message(FATAL_ERROR "The service profile must name 13 server hosts, not ${host_count}")
endif()
string(LENGTH "${CORVANE_HOST_KEY}" key_length)
if(NOT key_length EQUAL 263)
  message(FATAL_ERROR "The pinned host key text must have 263 characters, not ${key_length}")
endif()

set(CORVANE_SERVER_HOSTS_INIT "")
foreach(host IN LISTS CORVANE_SERVER_HOSTS)
  string(APPEND CORVANE_SERVER_HOSTS_INIT "    L\"${host}\",\n")
endforeach()

set(CORVANE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/app/ServiceProfile.h.in
               ${CORVANE_GENERATED_DIR}/ServiceProfile.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/res/ProfileStrings.rc.in
               ${CORVANE_GENERATED_DIR}/ProfileStrings.rc @ONLY)
