# Runs the artwork generator into a fresh folder and checks that the files
# shipped as generated (advice.bmp, nivarel.ico) equal the committed ones in
# resources/ byte for byte. Both are painted from the world map and the
# backdrop, so a generator that stopped being deterministic fails here too.
# The JPEGs are not compared: the encoder, not the generator, makes their bytes.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${TOOL} ${WORK} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nivarel-artwork failed (${status})")
endif()

foreach(name advice.bmp nivarel.ico)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name} ${RESOURCES}/${name}
                  RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "resources/${name} is not what the generator paints; run tools/make-artwork")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
