# The production's tune: the project's synthesiser renders the score in
# data/music/ to WAV, and lame encodes it into the run folder. lame keeps its
# encoder delay and padding in the stream's info tag, so a gapless decoder
# gives back exactly the rendered length; without ReplayGain analysis or an
# ID3 tag the bytes depend only on the WAV.
find_program(LAME_EXECUTABLE lame REQUIRED)

set(music_score ${CMAKE_CURRENT_SOURCE_DIR}/music/tolvenmark.score)
set(music_wav ${CMAKE_CURRENT_BINARY_DIR}/tolvenmark.wav)
set(music_mp3 ${KELVANDRIX_RUN_DIR}/tolvenmark.mp3)

add_custom_command(OUTPUT ${music_wav}
  COMMAND synth ${music_score} ${music_wav}
  DEPENDS synth ${music_score}
  COMMENT "Rendering the tune from ${music_score}"
  VERBATIM)
# lame writes beside the WAV and the result is renamed into the run folder
# only once it has succeeded: a failed encoding leaves the last good tune.
set(music_partial ${CMAKE_CURRENT_BINARY_DIR}/tolvenmark.mp3.partial)
add_custom_command(OUTPUT ${music_mp3}
  COMMAND ${LAME_EXECUTABLE} --silent --noreplaygain -V2 ${music_wav} ${music_partial}
  COMMAND ${CMAKE_COMMAND} -E rename ${music_partial} ${music_mp3}
  DEPENDS ${music_wav}
  COMMENT "Encoding tolvenmark.mp3"
  VERBATIM)
add_custom_target(kelvandrix_music DEPENDS ${music_mp3})
add_dependencies(kelvandrix_data kelvandrix_music)
