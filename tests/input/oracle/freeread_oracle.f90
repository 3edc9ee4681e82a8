! gfortran oracle for tests/input/freeread_test.cpp: list-directed reads of
! an internal file (one record) with iostat. Regenerate the expected values
! with:  gfortran freeread_oracle.f90 -o o && ./o
! Each line shows iostat (0 read, -1 end of file, >0 error) and the
! variables after the read (preset to 1, 2, 3 and 'zzzzz', 'yyyyy').
program freeread_oracle
  integer :: i, j, k, ios
  real :: r, s
  double precision :: dd
  character(len=5) :: c5, c6
  character(len=40) :: buf
  call ints('4 5 6'); call ints('4,,6'); call ints('4, ,6'); call ints(',5')
  call ints('4 5'); call ints('4,'); call ints('4 /'); call ints('5,/ 7')
  call ints('2*7 1'); call ints('2* 9'); call ints('3*'); call ints('1;2	3')
  call ints('3.5'); call ints('1e3'); call ints('99999999999'); call ints('0*5')
  call ints('"ab"'); call ints('12a'); call ints('+'); call ints('')
  call ints('-2147483648 2147483648'); call ints('+7 -0 8 extra')
  call reals('.5 1. -.5d2'); call reals('1.5+3 1E3 2'); call reals('1e400 1e-400 0')
  call reals('abc'); call reals('1.5e'); call reals('.'); call reals('inf 3 nan')
  call reals('0.1 0.1 0.1'); call reals('2*2.5 7')
  call texts('ab/cd ef'); call texts('''ab''cd ef'); call texts('abcdefgh,"it""s"')
  call texts('2*x'); call texts('''a b'' "c,d"'); call texts('''it''''s'' 5')
contains
  subroutine ints(t)
    character(len=*) :: t
    i = 1; j = 2; k = 3; buf = t
    read(buf, *, iostat=ios) i, j, k
    write(*,*) '[', t, ']', ios, i, j, k
  end subroutine
  subroutine reals(t)
    character(len=*) :: t
    r = 1; s = 2; dd = 3; buf = t
    read(buf, *, iostat=ios) r, s, dd
    write(*,*) '[', t, ']', ios, r, s, dd
  end subroutine
  subroutine texts(t)
    character(len=*) :: t
    c5 = 'zzzzz'; c6 = 'yyyyy'; buf = t
    read(buf, *, iostat=ios) c5, c6
    write(*,*) '[', t, ']', ios, '[', c5, '][', c6, ']'
  end subroutine
end program freeread_oracle
